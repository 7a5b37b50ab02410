#include "check/catalogue_rules.h"

#include "check/product_rules.h"

namespace {

Finding NotWellFormed(const ParseFailure& failure) {
    const std::wstring place = failure.line > 0 ? L"line " + std::to_wstring(failure.line) + L", position " +
                                                      std::to_wstring(failure.position) + L": "
                                                : std::wstring();
    const std::wstring reason = failure.reason.empty() ? std::wstring() : L": " + failure.reason;
    return Finding{0, L"", L"", 0, place + L"not well-formed XML" + reason + L": the module reads no product"};
}

}  // namespace

Findings CheckCatalogue(const CatalogueEntries& catalogue) {
    switch (catalogue.load) {
        case CatalogueLoad::kRead: return CheckProducts(catalogue.products);
        case CatalogueLoad::kPrologRefused:
            return {Finding{0, L"", L"", 0,
                            L"a DOCTYPE, or other text that may not stand there, comes before the root element: the "
                            L"module refuses the whole file"}};
        case CatalogueLoad::kNotWellFormed: return {NotWellFormed(catalogue.failure)};
        case CatalogueLoad::kNoParser: break;
    }
    return {};
}
