// Whether an https server's certificate is good enough to take a catalogue
// from it. WinINet checks it while connecting; this module checks the chain
// again itself, so that a certificate is refused the same way wherever the
// WinINet in use is more lenient than Windows'. No flag that ignores a
// certificate error is ever set. Revocation is not checked here.
#ifndef ZQDOWNLOAD_SERVER_CERTIFICATE_H
#define ZQDOWNLOAD_SERVER_CERTIFICATE_H

#include <windows.h>
#include <wincrypt.h>
#include <wininet.h>

#include <string>

namespace zqd {

// True when the server's certificate chain on this https request is valid for
// host; logs the reason otherwise.
bool ServerCertificateAccepted(HINTERNET request, const std::wstring& host);

// Logs the reason when a send failed for a certificate error; true when it was one.
bool LogCertificateFailure(DWORD error);

// The check itself: ERROR_SUCCESS when chain is valid for an https server
// named host, else the first fault found (a CERT_E_ or TRUST_E_ code).
DWORD ChainFault(PCCERT_CHAIN_CONTEXT chain, const std::wstring& host);

}  // namespace zqd

#endif
