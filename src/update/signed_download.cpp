#include "update/signed_download.h"

#include <optional>
#include <string>

#include "catalogue/catalogue_parser.h"
#include "log/debug_log.h"
#include "signature/catalogue_claims.h"
#include "signature/catalogue_signature.h"
#include "update/catalogue_download.h"
#include "update/refresh_lock.h"
#include "update/work_files.h"
#include "win32/file_bytes.h"
#include "xml/document_setup.h"

namespace {

void LogRefusal(const std::wstring& reason) {
    CMLog::GetInstance().Log(L"downloaded catalogue refused, %s: the previous file is kept", reason.c_str());
}

// The catalogue, then its signature from the same address with ".sig"
// appended, through one load of the download module; each request may take
// only what is left of the deadline.
bool FetchCatalogueAndSignature(const CatalogueDownloadPlan& plan, const RefreshWorkFiles& work, uint32_t hostParam,
                                const Deadline& deadline) {
    CMLog& log = CMLog::GetInstance();
    DownloadModule downloader;
    std::optional<DWORD> left = deadline.Remaining();
    if (!left || !downloader.Request({{plan.address}, work.Catalogue(), L"", L"", left}, 0, hostParam)) {
        log.Log(L"SMBPlugins.xml下载失败");
        return false;
    }
    log.Log(L"SMBPlugins.xml下载成功");
    left = deadline.Remaining();
    if (!left) {
        log.Log(L"catalogue signature not fetched: the refresh's time limit has passed");
    } else if (!downloader.Request({{plan.address + L".sig"}, work.Signature(), L"", L"", left}, 0, hostParam)) {
        log.Log(L"catalogue signature download failed");
    }
    return true;
}

// Puts bytes in place of the catalogue unless its claims refuse it against
// the catalogue in use, both read while no other refresh may place a file.
bool PlaceSigned(const CatalogueDownloadPlan& plan, const std::string& bytes, const Deadline& deadline) {
    CMLog& log = CMLog::GetInstance();
    const CatalogueRefreshLock lock(plan.catalogue, deadline);
    if (!lock.Held()) {
        if (lock.HeldElsewhere()) {
            log.Log(L"signed catalogue not put in place: another refresh of it still runs");
        } else {
            log.Log(L"signed catalogue not put in place: its lock cannot be made beside it (error %lu)", lock.Error());
        }
        return false;
    }
    const std::optional<std::string> inUseBytes = ReadFileBytes(plan.catalogue, kXmlFileLimit);
    // A catalogue in use that is there but cannot be read may have a serial
    // this download would step back from.
    if (!inUseBytes && !FileIsMissing(plan.catalogue)) {
        LogRefusal(L"the catalogue in use cannot be read to compare its serial");
        return false;
    }
    const CatalogueClaims inUse = inUseBytes ? ReadCatalogueClaims(*inUseBytes) : CatalogueClaims();
    const bool same = inUseBytes && *inUseBytes == bytes;
    const std::wstring refusal = ClaimsRefusal(ReadCatalogueClaims(bytes), inUse, same, CatalogueFileName());
    if (!refusal.empty()) {
        LogRefusal(refusal);
        return false;
    }
    if (!same && !ReplaceFileAtomically(plan.catalogue, bytes)) {
        log.Log(L"signed catalogue not put in place: error %lu", GetLastError());
        return false;
    }
    log.Log(same ? L"signed catalogue accepted: it is the catalogue in use already"
                 : L"signed catalogue accepted and put in place");
    return true;
}

}  // namespace

bool DownloadSigned(const CatalogueDownloadPlan& plan, uint32_t hostParam, const Deadline& deadline) {
    RemoveAbandonedWorkFiles(plan.catalogue);
    const RefreshWorkFiles work(plan.catalogue);
    if (!work.Ready()) {
        CMLog::GetInstance().Log(
            L"catalogue download skipped: no work file of its own can be made beside %s "
            L"(error %lu)",
            plan.catalogue.c_str(), work.Error());
        return false;
    }
    if (!FetchCatalogueAndSignature(plan, work, hostParam, deadline)) return false;
    // Read once: the signature and the claims are checked on these bytes,
    // and these bytes are what is put in place.
    const std::optional<std::string> bytes = ReadFileBytes(work.Catalogue(), kXmlFileLimit);
    const SignatureVerdict verdict = VerifySignatureOfBytes(plan.key, bytes, work.Signature());
    if (verdict != SignatureVerdict::kValid) {
        LogRefusal(SignatureVerdictText(verdict));
        return false;
    }
    return PlaceSigned(plan, *bytes, deadline);
}
