#pragma once
// Scope owners for CryptoAPI resources, in the pattern of win_owners.h:
// providers, hashes and keys, certificate stores, contexts, chains and chain
// engines.
#include <windows.h>
#include <wincrypt.h>

#include "win32/win_owners.h"

inline void ReleaseCryptProvider(HCRYPTPROV provider) noexcept {
    CryptReleaseContext(provider, 0);
}

inline void CloseCertStore(HCERTSTORE store) noexcept {
    CertCloseStore(store, 0);
}

using UniqueCryptProvider = UniqueWinHandle<ZeroIsNoneTraits<HCRYPTPROV, &ReleaseCryptProvider>>;
using UniqueCryptHash = UniqueWinHandle<ZeroIsNoneTraits<HCRYPTHASH, &CryptDestroyHash>>;
using UniqueCryptKey = UniqueWinHandle<ZeroIsNoneTraits<HCRYPTKEY, &CryptDestroyKey>>;
using UniqueCertStore = UniqueWinHandle<ZeroIsNoneTraits<HCERTSTORE, &CloseCertStore>>;
using UniqueCertContext = UniqueWinHandle<ZeroIsNoneTraits<PCCERT_CONTEXT, &CertFreeCertificateContext>>;
using UniqueCertChain = UniqueWinHandle<ZeroIsNoneTraits<PCCERT_CHAIN_CONTEXT, &CertFreeCertificateChain>>;
using UniqueCertChainEngine = UniqueWinHandle<ZeroIsNoneTraits<HCERTCHAINENGINE, &CertFreeCertificateChainEngine>>;
