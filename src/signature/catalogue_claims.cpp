#include "signature/catalogue_claims.h"

#include "text/decimal_text.h"
#include "text/name_compare.h"
#include "xml/xml_document.h"

namespace {

std::optional<std::wstring> RootAttribute(CXmlNodeWrapper& root, const wchar_t* name) {
    ComString value;
    if (!root.GetAttribute(name, value)) return std::nullopt;
    return value.Str();
}

}  // namespace

const wchar_t kSerialRule[] = L"a whole number from 1 to 18446744073709551615";

std::optional<uint64_t> SerialNumber(const std::wstring& text) {
    const std::optional<uint64_t> value = DecimalNumber(text);
    if (value == uint64_t{0}) return std::nullopt;
    return value;
}

bool IsCatalogueFileName(const std::wstring& text) {
    return SameName(text, L"SMBPlugins_x86.xml") || SameName(text, L"SMBPlugins_x64.xml");
}

CatalogueClaims ReadCatalogueClaims(const std::string& bytes) {
    CatalogueClaims claims;
    CXmlDocHolder document;
    if (document.LoadBytes(bytes) != XmlFileLoad::kLoaded) return claims;
    CXmlNodeWrapper root(document.GetRootNode());
    claims.loads = root.IsValid();
    if (!claims.loads) return claims;
    claims.products = CXmlNodeListWrapper(root.SelectNodes(L"./Product")).GetCount();
    claims.serial = RootAttribute(root, L"serial");
    claims.file = RootAttribute(root, L"file");
    return claims;
}

std::wstring ClaimsRefusal(const CatalogueClaims& downloaded, const CatalogueClaims& inUse, bool sameBytes,
                           const wchar_t* ownFileName) {
    if (!downloaded.loads) return L"it does not load";
    if (downloaded.products == 0) return L"it has no Product element";
    if (downloaded.file && !SameName(*downloaded.file, ownFileName)) {
        return L"it is meant for " + *downloaded.file + L", not " + ownFileName;
    }
    const uint64_t serial = downloaded.serial ? SerialNumber(*downloaded.serial).value_or(0) : 0;
    if (downloaded.serial && serial == 0) {
        return L"its serial \"" + *downloaded.serial + L"\" is not " + kSerialRule;
    }
    // 0: the catalogue in use has no usable serial and holds nothing back.
    const uint64_t inUseSerial = inUse.serial ? SerialNumber(*inUse.serial).value_or(0) : 0;
    if (inUseSerial == 0) return std::wstring();
    const std::wstring inUseText = L"the catalogue in use (" + std::to_wstring(inUseSerial) + L")";
    if (serial == 0) return L"it has no serial and " + inUseText + L" has one";
    if (serial < inUseSerial) return L"its serial " + std::to_wstring(serial) + L" is older than " + inUseText;
    if (serial == inUseSerial && !sameBytes) {
        return L"its serial " + std::to_wstring(serial) + L" is that of " + inUseText + L", but its content differs";
    }
    return std::wstring();
}
