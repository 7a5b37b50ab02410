#include "generated_catalogue.h"

namespace {

const wchar_t kVersionKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

GeneratedMethod Registry(const std::wstring& subKey, const wchar_t* value, const wchar_t* binary, bool view64) {
    GeneratedMethod method;
    method.rootKey = L"80000002";
    method.subKey = subKey;
    method.value = value;
    method.binary = binary;
    method.view64 = view64;
    return method;
}

GeneratedMethod Process(const wchar_t* image) {
    GeneratedMethod method;
    method.process = true;
    method.image = image;
    return method;
}

// Four kinds of product in turn: found by the third method, missing, found by
// a running process, found in the 64-bit registry view.
std::vector<GeneratedMethod> Methods(int i) {
    const std::wstring absent = L"SOFTWARE\\WareseekBench\\Absent" + std::to_wstring(i);
    switch (i % 4) {
        case 0:
            return {Registry(absent, L"InstallLocation", L"app.exe", false),
                    Registry(kVersionKey, L"NoSuchValue", L"app.exe", false),
                    Registry(kVersionKey, L"SystemRoot", L"notepad.exe", false)};
        case 1: return {Registry(absent, L"InstallLocation", L"app.exe", true), Process(L"wsk-not-running.exe")};
        case 2: return {Registry(absent, L"Path", L"app.exe", false), Process(L"services.exe")};
        default:
            return {Registry(absent, L"InstallLocation", L"app.exe", false),
                    Registry(kVersionKey, L"SystemRoot", L"regedit.exe", true)};
    }
}

std::wstring MethodXml(const GeneratedMethod& method) {
    if (method.process) return L"<Method methodType='1' process='" + method.image + L"'/>";
    return L"<Method methodType='0' rootKey='" + method.rootKey + L"' subKey='" + method.subKey + L"' value='" +
           method.value + L"' binary='" + method.binary + L"' binaryType='0' binaryEvironment='" +
           (method.view64 ? L"1" : L"0") + L"'/>";
}

}  // namespace

std::vector<GeneratedProduct> GenerateProducts(int count) {
    std::vector<GeneratedProduct> products;
    for (int i = 0; i < count; ++i) {
        wchar_t guid[64];
        wsprintfW(guid, L"{%08X-5A1E-4C3B-9D2E-%012d}", 0x5EED0000 + i, i);
        products.push_back({guid, L"Benchmark Product " + std::to_wstring(i), i % 3, Methods(i)});
    }
    return products;
}

std::wstring CatalogueXml(const std::vector<GeneratedProduct>& products) {
    std::wstring xml = L"<?xml version='1.0' encoding='utf-8'?>\r\n<Products>\r\n";
    int i = 0;
    for (const GeneratedProduct& product : products) {
        const std::wstring n = std::to_wstring(i++);
        xml += L"  <Product name='" + product.name + L"' GUID='" + product.guid + L"' productType='" +
               std::to_wstring(product.productType) + L"' category='" + std::to_wstring(i % 7) + L"'>" +
               L"<url>https://downloads.example.com/p" + n + L"/setup.exe</url>" +
               L"<url>https://mirror.example.net/p" + n + L"/setup.exe</url>" +
               L"<md5>0123456789abcdef0123456789abcdef</md5><Icon>https://cdn.example.com/p" + n + L".png</Icon>" +
               L"<Detail>Product " + n + L" keeps this PC in shape.</Detail><Version>1." + n + L".0</Version>" +
               L"<Dependence>none</Dependence><Service type='1' day='180'/><OS>7</OS>" +
               L"<Setup name='setup" + n + L".exe' cmdline='/S /quiet' wait='1'/><Detect>";
        for (const GeneratedMethod& method : product.methods) xml += MethodXml(method);
        xml += L"</Detect></Product>\r\n";
    }
    return xml + L"</Products>\r\n";
}
