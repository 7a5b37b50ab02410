#include "tls_servers.h"

#include <windows.h>

namespace zqd_test {
namespace {

std::string Variable(const std::string& name) {
    char value[8192] = {};
    const DWORD length = GetEnvironmentVariableA(name.c_str(), value, sizeof value);
    return length < sizeof value ? std::string(value, length) : std::string();
}

std::string FromBase64(const std::string& text) {
    DWORD size = 0;
    if (!CryptStringToBinaryA(text.c_str(), 0, CRYPT_STRING_BASE64, nullptr, &size, nullptr, nullptr)) return {};
    std::string bytes(size, '\0');
    CryptStringToBinaryA(text.c_str(), 0, CRYPT_STRING_BASE64, reinterpret_cast<BYTE*>(&bytes[0]), &size, nullptr,
                         nullptr);
    return bytes;
}

// Makes a change to a system store lasting: Wine keeps it in memory until then.
void Commit(HCERTSTORE store) {
    CertControlStore(store, 0, CERT_STORE_CTRL_COMMIT, nullptr);
}

}  // namespace

const char kTlsCatalogue[] = "<Products><Product name=\"served over TLS\"/></Products>";

bool TlsServersPresent() {
    return !TlsAuthority().empty();
}

std::wstring TlsUrl(const char* server, const std::wstring& path) {
    const std::string port = Variable(std::string("WARESEEK_TLS_") + server + "_PORT");
    return L"https://localhost:" + std::wstring(port.begin(), port.end()) + path;
}

std::string TlsCertificate(const char* server) {
    return FromBase64(Variable(std::string("WARESEEK_TLS_") + server + "_CERT"));
}

std::string TlsAuthority() {
    return FromBase64(Variable("WARESEEK_TLS_AUTHORITY"));
}

TrustedAuthority::TrustedAuthority(const std::string& der)
    : store_(CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root")) {
    if (store_ && CertAddEncodedCertificateToStore(store_.Get(), X509_ASN_ENCODING,
                                                   reinterpret_cast<const BYTE*>(der.data()),
                                                   static_cast<DWORD>(der.size()), CERT_STORE_ADD_NEW,
                                                   added_.Receive())) {
        Commit(store_.Get());
    }
}

TrustedAuthority::~TrustedAuthority() {
    if (!added_) return;
    CertDeleteCertificateFromStore(added_.Release());  // frees the context too
    Commit(store_.Get());
}

}  // namespace zqd_test
