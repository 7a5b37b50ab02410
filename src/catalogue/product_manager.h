#pragma once
// The catalogue: up to three product groups (productType 0, 1, 2), each an
// ordered map of records keyed by GUID. What a detection pass learns about
// the running processes is the pass's own (detection/process_snapshot.h).
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "catalogue/product_record.h"

class DetectionObserver;

// A place in the iteration over all records: group slot 0, 1, 2 (empty slots
// skipped), then ascending GUID within a group.
struct ProductPosition {
    uint32_t slot = 0;
    ProductMap::iterator record;
};

class ProductManager {
public:
    static constexpr uint32_t kGroupCount = 3;

    ProductManager() = default;
    ~ProductManager();
    ProductManager(const ProductManager&) = delete;
    ProductManager& operator=(const ProductManager&) = delete;

    // Empties the catalogue (and says so in the log).
    void Clear() noexcept;
    // Stores a copy of record under its GUID in group productType, replacing a
    // record of the same GUID there. A productType outside 0..2 has no group:
    // the product is skipped and logged.
    void AddProduct(uint32_t productType, const ProductRecord& record);
    int32_t GetProductCount() const;

    // False when the catalogue is empty; otherwise position and group point at
    // the first record.
    bool GetFirstProduct(ProductPosition& position, uint32_t& group);
    // The record at position (null when the iteration is done); moves on.
    ProductRecord* GetNextProduct(ProductPosition& position, uint32_t& group);

    // Rebuilds the catalogue from the file beside the module chosen by
    // g_bIsWow64; false when the file is missing or does not load. When
    // productElements is given it receives the number of "Product" children
    // of the root, read or skipped.
    bool LoadCatalogue(int* productElements = nullptr);
    // The same from an explicit file path.
    bool LoadCatalogueFile(const std::wstring& path, int* productElements = nullptr);

    // Re-reads the catalogue, first having a fresh copy downloaded when asked.
    void RefreshCatalogue(int download);
    // Decides for every record whether its product is installed, listing the
    // running processes afresh for the pass. Always 1. An observer, when
    // given, is told every step of the pass.
    int32_t RunDetection(DetectionObserver* observer = nullptr);

    uint32_t hostParam = 0;

private:
    std::array<std::unique_ptr<ProductMap>, kGroupCount> groups;
};
