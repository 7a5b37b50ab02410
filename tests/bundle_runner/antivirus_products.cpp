#include "antivirus_products.h"

#include <windows.h>
#include <wbemidl.h>

#include "win32/com_apartment.h"
#include "win32/com_ptr.h"
#include "win32/com_string.h"
#include "win32/com_variant.h"

namespace {

// How long one product may take to come.
constexpr LONG kNextTimeoutMs = 10000;

// The Security Center's namespace, with calls made as this user.
ComPtr<IWbemServices> SecurityCenter() {
    ComPtr<IWbemLocator> locator;
    ComPtr<IWbemServices> services;
    if (FAILED(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                reinterpret_cast<void**>(locator.Receive())))) {
        return services;
    }
    const ComString name(L"ROOT\\SecurityCenter2");
    if (FAILED(locator->ConnectServer(name.Get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr, services.Receive()))) {
        services.Reset();
        return services;
    }
    // Windows hands out a proxy to its WMI service; an answer from within the
    // process (Wine's) is no proxy and has no blanket to set.
    CoSetProxyBlanket(services.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                      RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
    return services;
}

std::wstring DisplayName(IWbemClassObject& product) {
    ComVariant name;
    if (FAILED(product.Get(L"displayName", 0, name.Ptr(), nullptr, nullptr)) || V_VT(name.Ptr()) != VT_BSTR) return L"";
    return V_BSTR(name.Ptr()) ? V_BSTR(name.Ptr()) : L"";
}

}  // namespace

std::vector<std::wstring> AntivirusProducts() {
    std::vector<std::wstring> names;
    const ComApartment apartment(COINIT_MULTITHREADED);
    if (FAILED(apartment.Result())) return names;
    // WMI wants to impersonate its caller; set once for the process (too
    // late when something here set it first).
    CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr,
                         EOAC_NONE, nullptr);
    const ComPtr<IWbemServices> services = SecurityCenter();
    if (!services) return names;
    const ComString language(L"WQL");
    const ComString query(L"SELECT displayName FROM AntiVirusProduct");
    ComPtr<IEnumWbemClassObject> products;
    if (FAILED(services->ExecQuery(language.Get(), query.Get(), WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY,
                                   nullptr, products.Receive()))) {
        return names;
    }
    for (;;) {
        ComPtr<IWbemClassObject> product;
        ULONG got = 0;
        if (products->Next(kNextTimeoutMs, 1, product.Receive(), &got) != WBEM_S_NO_ERROR || got == 0) break;
        const std::wstring name = DisplayName(*product.Get());
        if (!name.empty()) names.push_back(name);
    }
    return names;
}
