#include "verify/verify_mode.h"

#include "request/module_loader.h"
#include "signature/catalogue_key.h"
#include "signature/catalogue_signature.h"
#include "text/path_parts.h"
#include "utf8_output.h"

namespace {

// Exit codes of --verify.
enum VerifyExitCode {
    kVerifyValid = 0,
    kVerifyInvalid = 1,
    kVerifyUnreadable = 2,  // the file, its signature or the key can't be read
};

// The key the module at modulePath would use: ProductCfg beside it.
std::wstring ModuleKeyPath(const std::wstring& modulePath) {
    return FolderOf(modulePath) + L"ProductCfg\\" + CatalogueKeyFileName();
}

bool IsUnreadable(SignatureVerdict verdict) {
    return verdict == SignatureVerdict::kKeyUnreadable || verdict == SignatureVerdict::kSignatureMissing ||
           verdict == SignatureVerdict::kSignatureUnreadable || verdict == SignatureVerdict::kFileUnreadable;
}

}  // namespace

int RunVerify(const HostOptions& options) {
    const std::wstring& file = options.verifyPath;
    std::wstring key = options.keyPath;
    if (key.empty()) key = ModuleKeyPath(options.modulePath.empty() ? DefaultModulePath() : options.modulePath);
    const SignatureVerdict verdict = VerifyFileSignature(key, file, file + L".sig");
    if (verdict == SignatureVerdict::kValid) {
        WriteOut(L"'" + file + L"': the signature is valid (key '" + key + L"')\r\n");
        return kVerifyValid;
    }
    WriteErrorLine(L"'" + file + L"' is not accepted: " + SignatureVerdictText(verdict) + L" (key '" + key + L"')");
    return IsUnreadable(verdict) ? kVerifyUnreadable : kVerifyInvalid;
}
