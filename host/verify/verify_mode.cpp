#include "verify/verify_mode.h"

#include "request/module_loader.h"
#include "signature/catalogue_claims.h"
#include "signature/catalogue_key.h"
#include "signature/catalogue_signature.h"
#include "utf8_output.h"
#include "win32/file_bytes.h"
#include "xml/document_setup.h"

namespace {

// Exit codes of --verify.
enum VerifyExitCode {
    kVerifyValid = 0,
    kVerifyInvalid = 1,
    kVerifyUnreadable = 2,  // the file, its signature or the key can't be read
};

bool IsUnreadable(SignatureVerdict verdict) {
    return verdict == SignatureVerdict::kKeyUnreadable || verdict == SignatureVerdict::kSignatureMissing ||
           verdict == SignatureVerdict::kSignatureUnreadable || verdict == SignatureVerdict::kFileUnreadable;
}

// What the file's root says of it, as a module with a key reads it.
std::wstring ClaimsLines(const std::string& bytes) {
    const CatalogueClaims claims = ReadCatalogueClaims(bytes);
    std::wstring serial = L"none (a module whose catalogue in use has a serial refuses this file)";
    if (claims.serial) {
        const std::optional<uint64_t> number = SerialNumber(*claims.serial);
        serial = number ? std::to_wstring(*number)
                        : L"\"" + *claims.serial +
                              L"\", not " + kSerialRule + L" (a module refuses this file)";
    }
    std::wstring file = L"none (meant for either catalogue file)";
    if (claims.file) {
        file = IsCatalogueFileName(*claims.file) ? *claims.file
                                                 : L"\"" + *claims.file +
                                                       L"\", not SMBPlugins_x86.xml or SMBPlugins_x64.xml (a module "
                                                       L"refuses this file)";
    }
    return L"serial: " + serial + L"\r\nfile: " + file + L"\r\n";
}

}  // namespace

int RunVerify(const HostOptions& options) {
    const std::wstring& file = options.verifyPath;
    std::wstring key = options.keyPath;
    if (key.empty()) key = CatalogueKeyPathIn(ChosenModuleFolder(options.modulePath));
    const std::optional<std::string> bytes = ReadFileBytes(file, kXmlFileLimit);
    const SignatureVerdict verdict = VerifySignatureOfBytes(key, bytes, file + L".sig");
    if (verdict == SignatureVerdict::kValid) {
        WriteOut(L"'" + file + L"': the signature is valid (key '" + key + L"')\r\n" + ClaimsLines(*bytes));
        return kVerifyValid;
    }
    if (bytes) WriteOut(ClaimsLines(*bytes));
    WriteErrorLine(L"'" + file + L"' is not accepted: " + SignatureVerdictText(verdict) + L" (key '" + key + L"')");
    return IsUnreadable(verdict) ? kVerifyUnreadable : kVerifyInvalid;
}
