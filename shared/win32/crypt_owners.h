#pragma once
// Scope owners for CryptoAPI resources, in the pattern of win_owners.h:
// certificate stores, certificate contexts, certificate chains and chain
// engines.
#include <windows.h>
#include <wincrypt.h>

#include "win32/win_owners.h"

struct CertStoreTraits {
    using Handle = HCERTSTORE;
    static Handle Invalid() noexcept { return nullptr; }
    static bool IsValid(Handle h) noexcept { return h != nullptr; }
    static void Close(Handle h) noexcept { CertCloseStore(h, 0); }
};

struct CertContextTraits {
    using Handle = PCCERT_CONTEXT;
    static Handle Invalid() noexcept { return nullptr; }
    static bool IsValid(Handle h) noexcept { return h != nullptr; }
    static void Close(Handle h) noexcept { CertFreeCertificateContext(h); }
};

struct CertChainTraits {
    using Handle = PCCERT_CHAIN_CONTEXT;
    static Handle Invalid() noexcept { return nullptr; }
    static bool IsValid(Handle h) noexcept { return h != nullptr; }
    static void Close(Handle h) noexcept { CertFreeCertificateChain(h); }
};

struct CertChainEngineTraits {
    using Handle = HCERTCHAINENGINE;
    static Handle Invalid() noexcept { return nullptr; }
    static bool IsValid(Handle h) noexcept { return h != nullptr; }
    static void Close(Handle h) noexcept { CertFreeCertificateChainEngine(h); }
};

using UniqueCertStore = UniqueWinHandle<CertStoreTraits>;
using UniqueCertContext = UniqueWinHandle<CertContextTraits>;
using UniqueCertChain = UniqueWinHandle<CertChainTraits>;
using UniqueCertChainEngine = UniqueWinHandle<CertChainEngineTraits>;
