#include "check/catalogue_rules.h"

#include "check/product_rules.h"
#include "signature/catalogue_claims.h"

namespace {

Finding NotWellFormed(const XmlParseFailure& failure) {
    const std::wstring place = failure.line > 0 ? L"line " + std::to_wstring(failure.line) + L", position " +
                                                      std::to_wstring(failure.position) + L": "
                                                : std::wstring();
    const std::wstring reason = failure.reason.empty() ? std::wstring() : L": " + failure.reason;
    return Finding{0, L"", L"", 0, place + L"not well-formed XML" + reason + L": the module reads no product"};
}

// The module reads only the root's own Product children: a document without
// any, an HTML page or a catalogue wrapped once too often, lists nothing.
Finding NoProducts(const ProductlessRoot& root) {
    std::wstring text = L"the root element " + Quoted(root.rootName) + L" has no Product child";
    if (root.deeperProducts > 0) {
        const bool one = root.deeperProducts == 1;
        text += L", but " + std::to_wstring(root.deeperProducts) +
                (one ? L" Product element stands" : L" Product elements stand") + L" deeper, the first under " +
                root.firstParent + L", where the module does not look";
    }
    return Finding{0, L"", L"", 0, text + L": the module lists no product from this file"};
}

// The claims a signed download is held to: malformed, they refuse the file.
Findings RootFindings(const AttributeTexts& root) {
    Findings findings;
    const std::wstring refused = L": a module with the vendor's key refuses this file when it is downloaded";
    if (const std::wstring* serial = FindAttribute(root, L"serial"); serial && !SerialNumber(*serial)) {
        findings.push_back(Finding{0, L"", L"", 0,
                                   L"the root's serial " + Quoted(*serial) +
                                       L" is not " + kSerialRule + refused});
    }
    if (const std::wstring* file = FindAttribute(root, L"file"); file && !IsCatalogueFileName(*file)) {
        findings.push_back(Finding{0, L"", L"", 0,
                                   L"the root's file " + Quoted(*file) +
                                       L" names neither SMBPlugins_x86.xml nor SMBPlugins_x64.xml" + refused});
    }
    return findings;
}

}  // namespace

Findings CheckCatalogue(const CatalogueEntries& catalogue) {
    switch (catalogue.load) {
        case CatalogueLoad::kRead: {
            Findings findings = RootFindings(catalogue.rootAttributes);
            const Findings products = catalogue.products.empty() ? Findings{NoProducts(catalogue.productless)}
                                                                 : CheckProducts(catalogue.products);
            findings.insert(findings.end(), products.begin(), products.end());
            return findings;
        }
        case CatalogueLoad::kPrologRefused:
            return {Finding{0, L"", L"", 0,
                            L"a DOCTYPE, or other text that may not stand there, comes before the root element: the "
                            L"module refuses the whole file"}};
        case CatalogueLoad::kNotWellFormed: return {NotWellFormed(catalogue.failure)};
        case CatalogueLoad::kNoParser: break;
    }
    return {};
}
