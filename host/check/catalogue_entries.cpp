#include "check/catalogue_entries.h"

#include <cwchar>

const std::wstring* FindAttribute(const AttributeTexts& attributes, const wchar_t* name) {
    const auto found = attributes.find(name);
    return found == attributes.end() ? nullptr : &found->second;
}

bool IsProcessMethod(const MethodEntry& method) {
    const std::wstring* type = FindAttribute(method.attributes, L"methodType");
    return type && (_wcsicmp(type->c_str(), L"true") == 0 || _wcsicmp(type->c_str(), L"1") == 0);
}

uint32_t ModuleProductType(const ProductEntry& product) {
    const std::wstring* type = FindAttribute(product.attributes, L"productType");
    if (!type) return UINT32_MAX;
    return static_cast<uint32_t>(wcstoul(type->c_str(), nullptr, 10));
}

std::wstring ProductGuid(const ProductEntry& product) {
    const std::wstring* guid = FindAttribute(product.attributes, L"GUID");
    return guid ? *guid : std::wstring();
}

std::wstring ProductName(const ProductEntry& product) {
    const std::wstring* name = FindAttribute(product.attributes, L"name");
    return name ? *name : std::wstring();
}
