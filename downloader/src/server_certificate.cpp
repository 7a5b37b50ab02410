#include "server_certificate.h"

#include "win32/crypt_owners.h"
#include "log/debug_log.h"

namespace zqd {
namespace {

// Why a certificate was refused, for WinINet's errors and the chain check's
// faults alike: one line of the debug log each.
struct Reason {
    DWORD code;
    const wchar_t* line;
};

const wchar_t kUntrusted[] = L"certificate refused: not issued by a trusted authority";
const wchar_t kOtherHost[] = L"certificate refused: issued for another host";
const wchar_t kOutOfDate[] = L"certificate refused: expired or not yet valid";
const wchar_t kRevoked[] = L"certificate refused: revoked";
const wchar_t kUnchecked[] = L"certificate refused: its revocation could not be checked";
const wchar_t kInvalid[] = L"certificate refused: not a valid server certificate";

const Reason kReasons[] = {
    {ERROR_INTERNET_INVALID_CA, kUntrusted},
    {static_cast<DWORD>(CERT_E_UNTRUSTEDROOT), kUntrusted},
    {static_cast<DWORD>(CERT_E_CHAINING), kUntrusted},
    {ERROR_INTERNET_SEC_CERT_CN_INVALID, kOtherHost},
    {static_cast<DWORD>(CERT_E_CN_NO_MATCH), kOtherHost},
    {ERROR_INTERNET_SEC_CERT_DATE_INVALID, kOutOfDate},
    {static_cast<DWORD>(CERT_E_EXPIRED), kOutOfDate},
    {ERROR_INTERNET_SEC_CERT_REVOKED, kRevoked},
    {static_cast<DWORD>(CERT_E_REVOKED), kRevoked},
    // Wine 8's WinINet also says this of a certificate whose issuer it cannot find.
    {ERROR_INTERNET_SEC_CERT_REV_FAILED, kUnchecked},
    {ERROR_INTERNET_SEC_CERT_NO_REV, kUnchecked},
    {ERROR_INTERNET_SEC_INVALID_CERT, kInvalid},
    {ERROR_INTERNET_SEC_CERT_ERRORS, kInvalid},
    {static_cast<DWORD>(CERT_E_WRONG_USAGE), kInvalid},
    {static_cast<DWORD>(TRUST_E_CERT_SIGNATURE), kInvalid},
    {static_cast<DWORD>(TRUST_E_FAIL), kInvalid},
};

const Reason* ReasonFor(DWORD code) {
    for (const Reason& reason : kReasons) {
        if (reason.code == code) return &reason;
    }
    return nullptr;
}

// The chain's own status, for a policy that lets a fault pass: Wine 8's SSL
// policy accepts a chain that ends without reaching any root. Unknown
// revocation is no fault here, and CERT_TRUST_IS_NOT_TIME_NESTED is one that
// Windows no longer reports.
DWORD StatusFault(DWORD status) {
    struct Fault {
        DWORD bits;
        HRESULT fault;
    };
    static const Fault kFaults[] = {
        {CERT_TRUST_IS_PARTIAL_CHAIN | CERT_TRUST_IS_CYCLIC, CERT_E_CHAINING},
        {CERT_TRUST_IS_UNTRUSTED_ROOT, CERT_E_UNTRUSTEDROOT},
        {CERT_TRUST_IS_NOT_TIME_VALID, CERT_E_EXPIRED},
        {CERT_TRUST_IS_REVOKED, CERT_E_REVOKED},
        {CERT_TRUST_IS_NOT_SIGNATURE_VALID, TRUST_E_CERT_SIGNATURE},
        {CERT_TRUST_IS_NOT_VALID_FOR_USAGE, CERT_E_WRONG_USAGE},
    };
    status &= ~(CERT_TRUST_REVOCATION_STATUS_UNKNOWN | CERT_TRUST_IS_OFFLINE_REVOCATION | CERT_TRUST_IS_NOT_TIME_NESTED);
    for (const Fault& fault : kFaults) {
        if (status & fault.bits) return static_cast<DWORD>(fault.fault);
    }
    return status == CERT_TRUST_NO_ERROR ? ERROR_SUCCESS : static_cast<DWORD>(TRUST_E_FAIL);
}

void LogRefusal(DWORD code) {
    if (const Reason* reason = ReasonFor(code)) {
        CMLog::GetInstance().Log(L"%s", reason->line);
    } else {
        CMLog::GetInstance().Log(L"certificate refused: error 0x%08lX", code);
    }
}

}  // namespace

DWORD ChainFault(PCCERT_CHAIN_CONTEXT chain, const std::wstring& host) {
    if (!chain) return static_cast<DWORD>(CERT_E_CHAINING);
    if (host.empty()) return static_cast<DWORD>(CERT_E_CN_NO_MATCH);  // no name would be compared at all
    HTTPSPolicyCallbackData https{};
    https.cbStruct = sizeof https;
    https.dwAuthType = AUTHTYPE_SERVER;
    https.pwszServerName = const_cast<wchar_t*>(host.c_str());
    CERT_CHAIN_POLICY_PARA policy{};
    policy.cbSize = sizeof policy;
    policy.dwFlags = CERT_CHAIN_POLICY_IGNORE_ALL_REV_UNKNOWN_FLAGS;  // revocation is WinINet's business
    policy.pvExtraPolicyPara = &https;
    CERT_CHAIN_POLICY_STATUS status{};
    status.cbSize = sizeof status;
    if (!CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &status)) {
        return static_cast<DWORD>(TRUST_E_FAIL);
    }
    if (status.dwError != ERROR_SUCCESS) return status.dwError;
    return StatusFault(chain->TrustStatus.dwErrorStatus);
}

UniqueCertChain ReceivedChain(HINTERNET request) {
    PCCERT_CHAIN_CONTEXT received = nullptr;
    DWORD size = sizeof received;
    if (!InternetQueryOptionW(request, INTERNET_OPTION_SERVER_CERT_CHAIN_CONTEXT, &received, &size)) return {};
    return UniqueCertChain(received);
}

bool ServerCertificateAccepted(const UniqueCertChain& chain, const std::wstring& host) {
    if (!chain) {
        CMLog::GetInstance().Log(L"certificate refused: the answer came with no certificate chain");
        return false;
    }
    const DWORD fault = ChainFault(chain.Get(), host);
    if (fault != ERROR_SUCCESS) LogRefusal(fault);
    return fault == ERROR_SUCCESS;
}

bool LogCertificateFailure(DWORD error) {
    const Reason* reason = ReasonFor(error);
    if (!reason) return false;
    CMLog::GetInstance().Log(L"%s", reason->line);
    return true;
}

}  // namespace zqd
