#include "detection/registry_roots.h"

#include <cwchar>

uint32_t RegistryRootAsRead(const std::wstring& text) {
    return static_cast<uint32_t>(wcstoul(text.c_str(), nullptr, 16));
}

HKEY CatalogueRootKey(uint32_t value) {
    for (const PredefinedRoot& root : kPredefinedRoots) {
        // The predefined handles are negative LONGs widened to pointer size,
        // as the platform headers spell HKEY_LOCAL_MACHINE and the others.
        if (root.value == value && root.catalogueMayUse) {
            return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(static_cast<LONG>(value)));
        }
    }
    return nullptr;
}
