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

#include "win32/crypt_owners.h"

namespace zqd {

// A copy of the certificate chain WinINet built while connecting for this
// https request, ours to free; none when it has none.
UniqueCertChain ReceivedChain(HINTERNET request);

// True when the server's certificate chain is valid for host; logs the reason
// otherwise (no chain included).
bool ServerCertificateAccepted(const UniqueCertChain& chain, const std::wstring& host);

// Logs the reason when a send failed for a certificate error; true when it was one.
bool LogCertificateFailure(DWORD error);

// The check itself: ERROR_SUCCESS when chain is valid for an https server
// named host, else the first fault found (a CERT_E_ or TRUST_E_ code).
DWORD ChainFault(PCCERT_CHAIN_CONTEXT chain, const std::wstring& host);

}  // namespace zqd

#endif
