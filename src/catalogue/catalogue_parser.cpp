#include "catalogue/catalogue_parser.h"

#include <windows.h>

#include <io.h>

#include "catalogue/product_manager.h"
#include "support/module_path.h"
#include "support/wow64.h"
#include "xml/xml_document.h"

namespace {

std::wstring ChildText(CXmlNodeWrapper& product, const wchar_t* name) {
    CXmlNodeWrapper child(product.SelectSingleNode(name));
    return ElementText(child);
}

void ReadUrls(CXmlNodeWrapper& product, std::vector<std::wstring>& urls) {
    CXmlNodeListWrapper(product.SelectNodes(L"./url")).ForEach([&urls](CXmlNodeWrapper& url) {
        std::wstring text = ElementText(url);
        if (!text.empty()) urls.push_back(std::move(text));
    });
}

void ReadService(CXmlNodeWrapper& product, ProductRecord& record) {
    CXmlNodeWrapper service(product.SelectSingleNode(L"Service"));
    record.serviceType = service.GetAttributeBool(L"type", 0);
    record.serviceDay = static_cast<int32_t>(service.GetAttributeUInt(L"day", 365));
}

void ReadSetup(CXmlNodeWrapper& product, SetupInfo& setup) {
    CXmlNodeWrapper element(product.SelectSingleNode(L"Setup"));
    setup.name = AttributeText(element, L"name");
    setup.cmdline = AttributeText(element, L"cmdline");
    setup.wait = static_cast<int32_t>(element.GetAttributeUInt(L"wait", 0));
}

void ReadDetect(CXmlNodeWrapper& product, std::vector<DetectMethod>& methods) {
    CXmlNodeWrapper detect(product.SelectSingleNode(L"Detect"));
    if (!detect.IsValid()) return;
    ComString xml;
    if (detect.GetXml(xml)) ParseDetectMethods(xml.Str(), methods);
}

// Reads one "Product" element; the productType goes to result, not the record.
ProductRecord ReadProduct(CXmlNodeWrapper& product, uint32_t& productType) {
    ProductRecord record;
    record.name = AttributeText(product, L"name");
    record.guid = AttributeText(product, L"GUID");
    productType = product.GetAttributeUInt(L"productType", static_cast<uint32_t>(-1));
    record.category = static_cast<int32_t>(product.GetAttributeUInt(L"category", 0));
    ReadUrls(product, record.urls);
    record.md5 = ChildText(product, L"md5");
    record.icon = ChildText(product, L"Icon");
    record.detail = ChildText(product, L"Detail");
    record.version = ChildText(product, L"Version");
    record.dependence = ChildText(product, L"Dependence");
    ReadService(product, record);
    record.os = static_cast<uint32_t>(wcstoul(ChildText(product, L"OS").c_str(), nullptr, 10));
    ReadSetup(product, record.setup);
    ReadDetect(product, record.methods);
    return record;
}

}  // namespace

const wchar_t* CatalogueFileName() {
    return g_bIsWow64 ? L"SMBPlugins_x64.xml" : L"SMBPlugins_x86.xml";
}

std::wstring CataloguePath() {
    return CataloguePathIn(ModuleFolder());
}

std::wstring CataloguePathIn(std::wstring folder) {
    if (!JoinPath(folder, L"ProductCfg") || !JoinPath(folder, CatalogueFileName())) return std::wstring();
    return folder;
}

bool ProductManager::LoadCatalogue(int* productElements) {
    const std::wstring path = CataloguePath();
    if (path.empty()) {
        Clear();
        return false;
    }
    return LoadCatalogueFile(path, productElements);
}

bool ProductManager::LoadCatalogueFile(const std::wstring& path, int* productElements) {
    Clear();
    if (productElements) *productElements = 0;
    if (_waccess(path.c_str(), 0) != 0) return false;
    CXmlDocHolder document;
    if (!document.Load(path.c_str())) return false;
    CXmlNodeWrapper root(document.GetRootNode());
    CXmlNodeListWrapper products(root.SelectNodes(L"./Product"));
    const int count = products.GetCount();
    if (productElements) *productElements = count;
    try {
        for (int i = 0; i < count; ++i) {
            CXmlNodeWrapper product(products.GetNode(i));
            uint32_t productType = 0;
            ProductRecord record = ReadProduct(product, productType);
            AddProduct(productType, record);
        }
    } catch (...) {
        Clear();  // out of memory half-way: no half-read catalogue is kept
        throw;
    }
    return true;
}

void ParseDetectMethods(const std::wstring& detectXml, std::vector<DetectMethod>& methods) {
    CXmlDocHolder document;
    if (!document.LoadXml(detectXml.c_str())) return;
    CXmlNodeWrapper detect(document.GetRootNode());
    CXmlNodeListWrapper(detect.SelectNodes(L"./Method")).ForEach([&methods](CXmlNodeWrapper& element) {
        DetectMethod method;
        method.methodType = element.GetAttributeBool(L"methodType", kMethodRegistryFile);
        if (method.methodType == kMethodRegistryFile) {
            ReadRegistryFileMethod(element, method.params);
        } else {
            ReadProcessMethod(element, method.params);
        }
        methods.push_back(method);
    });
}

void ReadRegistryFileMethod(CXmlNodeWrapper& method, std::vector<std::wstring>& params) {
    params[kParamRootKey] = AttributeText(method, L"rootKey");
    params[kParamSubKey] = AttributeText(method, L"subKey");
    params[kParamValue] = AttributeText(method, L"value");
    params[kParamBinary] = AttributeText(method, L"binary");
    params[kParamBinaryType] = AttributeText(method, L"binaryType");
    params[kParamBinaryEnvironment] = AttributeText(method, L"binaryEvironment", L"0");
}

void ReadProcessMethod(CXmlNodeWrapper& method, std::vector<std::wstring>& params) {
    params[kParamProcess] = AttributeText(method, L"process");
}
