#include "tls_servers.h"

#include <windows.h>

#include "test_files.h"

namespace zqd_test {
namespace {

std::string Variable(const std::string& name) {
    char value[64] = {};
    const DWORD length = GetEnvironmentVariableA(name.c_str(), value, sizeof value);
    return length < sizeof value ? std::string(value, length) : std::string();
}

std::string Port(const char* server) {
    return Variable(std::string("WARESEEK_TLS_") + server + "_PORT");
}

// Makes a change to a system store lasting: Wine keeps it in memory until then.
void Commit(HCERTSTORE store) {
    CertControlStore(store, 0, CERT_STORE_CTRL_COMMIT, nullptr);
}

}  // namespace

const char kTlsCatalogue[] = "<Products><Product name=\"served over TLS\"/></Products>";

bool TlsServersPresent() {
    return !Port("GOOD").empty();
}

std::wstring TlsUrl(const char* server, const std::wstring& path) {
    const std::string port = Port(server);
    return L"https://localhost:" + std::wstring(port.begin(), port.end()) + path;
}

std::string TlsCertificate(const char* server) {
    const std::string name(server);
    return ReadBytes(ProgramFolder() + L"\\tls-certificates\\" + std::wstring(name.begin(), name.end()) + L".der");
}

std::string TlsAuthority() {
    return TlsCertificate("authority");
}

// Replaces a copy left by a run that never reached its end, so that it goes
// with this one's.
TrustedAuthority::TrustedAuthority(const std::string& der) noexcept
    : store_(CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root")) {
    if (store_ && !der.empty() &&
        CertAddEncodedCertificateToStore(store_.Get(), X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
                                         static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING,
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
