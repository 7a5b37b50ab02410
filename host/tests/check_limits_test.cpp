// The catalogue check and the module read one set of limits: values that sit
// exactly at each limit draw no finding and the module keeps the product;
// one past each, every value draws its finding and the module skips it.
#include <gtest/gtest.h>

#include "catalogue/product_manager.h"
#include "check/catalogue_reading.h"
#include "check/catalogue_rules.h"
#include "detection/method_limits.h"
#include "test_files.h"
#include "text/utf8_text.h"

namespace {

// A catalogue of one product whose texts are limit + past characters long.
std::wstring CatalogueAtLimits(size_t past) {
    const auto text = [past](size_t limit, wchar_t letter) { return std::wstring(limit + past, letter); };
    return L"<Products><Product name=\"n\" GUID=\"{g}\" productType=\"" +
           std::to_wstring(ProductManager::kGroupCount - 1 + past) + L"\"><Detect>" +
           L"<Method methodType=\"0\" rootKey=\"80000002\" subKey=\"" + text(kMaxKeyNameLength, L'k') + L"\" value=\"" +
           text(kMaxValueNameLength, L'v') + L"\" binary=\"" + text(kMaxBinaryLength, L'b') + L"\" binaryType=\"" +
           text(kBinaryTypeDigits, L'9') + L"\" binaryEvironment=\"0\"/>" + L"<Method methodType=\"1\" process=\"" +
           text(kMaxImageNameLength - 4, L'p') + L".exe\"/>" + L"</Detect></Product></Products>";
}

TEST(CheckLimits, ValuesAtEachLimitPassAndOnePastAreFound) {
    TempFolder folder;
    for (const size_t past : {0u, 1u}) {
        const std::wstring path = folder.Sub(L"limits" + std::to_wstring(past) + L".xml");
        WriteBytes(path, ToUtf8(CatalogueAtLimits(past)));
        const CatalogueEntries entries = ReadCatalogueEntries(path);
        ASSERT_EQ(CatalogueLoad::kRead, entries.load);
        const Findings findings = CheckCatalogue(entries);
        // productType, subKey, value, binary, binaryType, process
        EXPECT_EQ(past == 0 ? 0u : 6u, findings.size()) << "past the limits by " << past;
        ProductManager module;
        ASSERT_TRUE(module.LoadCatalogueFile(path));
        EXPECT_EQ(past == 0 ? 1 : 0, module.GetProductCount());
    }
}

}  // namespace
