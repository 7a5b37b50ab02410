#include "verify/verify_mode.h"

#include "request/module_loader.h"
#include "signature/catalogue_key.h"
#include "signature/catalogue_signature.h"
#include "utf8_output.h"

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

}  // namespace

int RunVerify(const HostOptions& options) {
    const std::wstring& file = options.verifyPath;
    std::wstring key = options.keyPath;
    if (key.empty()) key = CatalogueKeyPathIn(ChosenModuleFolder(options.modulePath));
    const SignatureVerdict verdict = VerifyFileSignature(key, file, file + L".sig");
    if (verdict == SignatureVerdict::kValid) {
        WriteOut(L"'" + file + L"': the signature is valid (key '" + key + L"')\r\n");
        return kVerifyValid;
    }
    WriteErrorLine(L"'" + file + L"' is not accepted: " + SignatureVerdictText(verdict) + L" (key '" + key + L"')");
    return IsUnreadable(verdict) ? kVerifyUnreadable : kVerifyInvalid;
}
