#include "check/product_rules.h"

#include <map>
#include <utility>

#include "catalogue/product_manager.h"
#include "check/method_rules.h"

namespace {

// ProductManager::AddProduct keeps these groups only.
constexpr uint32_t kGroupCount = ProductManager::kGroupCount;
static_assert(kGroupCount == 3, "the findings below name groups 0, 1 and 2");

bool IsPlainNumber(const std::wstring& text) {
    if (text.empty()) return false;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return false;
    }
    return true;
}

void CheckProductType(const ProductEntry& product, std::vector<std::wstring>& out) {
    const std::wstring* text = FindAttribute(product.attributes, L"productType");
    const uint32_t group = ModuleProductType(product);
    if (!text) {
        out.push_back(L"productType is missing: the module skips this product");
    } else if (group >= kGroupCount) {
        out.push_back(L"productType " + Quoted(*text) + L" is not 0, 1 or 2: the module skips this product");
    } else if (!IsPlainNumber(*text)) {
        out.push_back(L"productType " + Quoted(*text) + L" is not a plain number: the module reads it as " +
                      std::to_wstring(group));
    }
}

void CheckGuidPresent(const ProductEntry& product, std::vector<std::wstring>& out) {
    const std::wstring* guid = FindAttribute(product.attributes, L"GUID");
    if (guid && !guid->empty()) return;
    out.push_back(std::wstring(guid ? L"GUID is empty" : L"GUID is missing") +
                  L": the module files the product under an empty GUID, and a later one without a GUID replaces it");
}

void CheckDetect(const ProductEntry& product, std::vector<std::wstring>& out) {
    if (!product.hasDetect) {
        out.push_back(L"no Detect element: the module can never find this product");
    } else if (product.methods.empty()) {
        out.push_back(L"Detect has no Method element: the module can never find this product");
    }
}

// Remembers, per group, the product each GUID was last filed under: the
// module's map keeps the later of two equal GUIDs (case matters).
class GroupIndex {
public:
    void Check(const ProductEntry& product, std::vector<std::wstring>& out) {
        const uint32_t group = ModuleProductType(product);
        if (group >= kGroupCount) return;
        const auto key = std::make_pair(group, ProductGuid(product));
        const auto earlier = m_filed.find(key);
        if (earlier != m_filed.end()) {
            const std::wstring previous = L"product " + std::to_wstring(earlier->second);
            out.push_back(L"GUID repeats " + previous + L" in group " + std::to_wstring(group) +
                          L": the module keeps only this later one and drops " + previous);
        }
        m_filed[key] = product.position;
    }

private:
    std::map<std::pair<uint32_t, std::wstring>, size_t> m_filed;
};

void Add(const ProductEntry& product, size_t method, std::vector<std::wstring>&& texts, Findings& findings) {
    for (std::wstring& text : texts) {
        findings.push_back(
            Finding{product.position, ProductGuid(product), ProductName(product), method, std::move(text)});
    }
}

}  // namespace

Findings CheckProducts(const std::vector<ProductEntry>& products) {
    Findings findings;
    GroupIndex groups;
    for (const ProductEntry& product : products) {
        std::vector<std::wstring> texts;
        CheckProductType(product, texts);
        CheckGuidPresent(product, texts);
        groups.Check(product, texts);
        CheckDetect(product, texts);
        Add(product, 0, std::move(texts), findings);
        for (size_t i = 0; i < product.methods.size(); ++i)
            Add(product, i + 1, CheckMethod(product.methods[i]), findings);
    }
    return findings;
}
