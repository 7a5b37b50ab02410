// The HTTPS test servers that tests/support/with_tls_servers.py runs around a
// test program, as its environment describes them; the certificates of
// tests/support/make_tls_certificates.py beside the program; and the test
// authority's place among the machine's trusted roots.
#ifndef ZQDOWNLOAD_TLS_SERVERS_H
#define ZQDOWNLOAD_TLS_SERVERS_H

#include <string>

#include "win32/crypt_owners.h"

namespace zqd_test {

// The servers, by the names the wrapper gives them: "GOOD", "SELF_SIGNED",
// "OTHER_HOST", "EXPIRED" and "NOT_FOR_SERVER". None run from the test bundle.
bool TlsServersPresent();
// https://localhost:PORT/path: Wine 8's SSL policy ignores the certificates'
// IP-address entry for 127.0.0.1 and matches their DNS entry "localhost".
std::wstring TlsUrl(const char* server, const std::wstring& path);
// DER bytes of a server's certificate, or of the authority's, from
// tls-certificates\NAME.der in the program's folder; empty when missing.
std::string TlsCertificate(const char* server);
std::string TlsAuthority();
// What every server answers to GET /catalogue.xml.
extern const char kTlsCatalogue[];

// The test authority in the LOCAL MACHINE "Root" store for the owner's
// lifetime (administrators only). Wine's chain engine reads the stores once,
// at the first chain a process builds: trust it before then.
class TrustedAuthority {
public:
    explicit TrustedAuthority(const std::string& der) noexcept;
    ~TrustedAuthority();
    TrustedAuthority(const TrustedAuthority&) = delete;
    TrustedAuthority& operator=(const TrustedAuthority&) = delete;

    bool Trusted() const { return added_.IsValid(); }

private:
    UniqueCertStore store_;
    UniqueCertContext added_;
};

}  // namespace zqd_test

#endif
