#include "explain/explanation.h"

#include <algorithm>

#include "catalogue/product_manager.h"
#include "support/wow64.h"

namespace {

// Records the hooks of one detection pass into an Explanation.
class RecordingObserver : public DetectionObserver {
public:
    explicit RecordingObserver(Explanation& explanation) : m_explanation(explanation) {}

    void ProductStarted(uint32_t group, const ProductRecord& record) override {
        ProductExplanation product;
        product.group = group;
        product.guid = record.guid;
        product.name = record.name;
        product.methodCount = record.methods.size();
        m_explanation.products.push_back(product);
    }
    void MethodStarted(size_t index, const DetectMethod& method) override {
        MethodExplanation explained;
        explained.index = index;
        explained.method = method;
        Product().methods.push_back(explained);
    }
    void MethodFinished(bool found, const std::wstring& foundPath, int32_t binaryType) override {
        MethodExplanation& method = Method();
        method.found = found;
        if (!found) return;
        method.foundPath = foundPath;
        method.binaryType = binaryType;
        Product().decidedBy = static_cast<int>(method.index);
    }
    void ProductFinished(const ProductRecord& record) override { Product().installed = record.installed != 0; }

    void RegistryRead(const RegistryReadReport& read) override {
        MethodExplanation& method = Method();
        method.registryRead = true;
        method.root = read.root;
        method.view64 = read.view64;
        method.outcome = read.outcome;
        method.status = read.status;
        method.text = read.text;
        method.expandable = read.expandable;
        method.expanded = read.expanded;
    }
    void PathTested(const std::wstring& path, PathQuestion question, bool answer, bool redirectionOff) override {
        Method().paths.push_back({path, question, answer, false, std::wstring(), redirectionOff});
    }
    void PathTooLong(const std::wstring& folder, const std::wstring& binary) override {
        Method().paths.push_back({folder, PathQuestion::kExists, false, true, binary, false});
    }

    void ProcessListTaken(size_t processCount) override {
        Method().processListTaken = true;
        Method().processCount = processCount;
    }
    void ProcessLookedUp(const std::wstring&, bool running, uint32_t processId) override {
        Method().processLookedUp = true;
        Method().running = running;
        Method().processId = processId;
    }
    void ProcessPathRead(uint32_t, const std::wstring& path) override {
        Method().processPathRead = true;
        Method().processPath = path;
    }

private:
    ProductExplanation& Product() { return m_explanation.products.back(); }
    MethodExplanation& Method() { return Product().methods.back(); }

    Explanation& m_explanation;
};

}  // namespace

size_t Explanation::InstalledCount() const {
    return static_cast<size_t>(std::count_if(products.begin(), products.end(),
                                             [](const ProductExplanation& product) { return product.installed; }));
}

bool ExplainCatalogue(const std::wstring& path, Explanation& explanation, std::wstring& error) {
    UpdateWow64Flag(CWOW64());
    explanation.cataloguePath = path;
    explanation.wow64 = g_bIsWow64 != 0;
    ProductManager manager;
    if (!manager.LoadCatalogueFile(path)) {
        error = L"cannot read the catalogue '" + path + L"': the file is missing or is not an XML document";
        return false;
    }
    RecordingObserver observer(explanation);
    manager.RunDetection(&observer);
    return true;
}
