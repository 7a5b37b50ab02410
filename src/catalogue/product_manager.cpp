#include "catalogue/product_manager.h"

#include "log/debug_log.h"

ProductManager::~ProductManager() {
    Clear();
}

void ProductManager::Clear() noexcept {
    for (auto& group : groups) group.reset();
    CMLog::GetInstance().Log(L"插件信息清空");
}

void ProductManager::AddProduct(uint32_t productType, const ProductRecord& record) {
    if (productType >= kGroupCount) {
        CMLog::GetInstance().Log(L"product skipped, productType out of range: GUID=%s", record.guid.c_str());
        return;
    }
    auto& group = groups[productType];
    if (!group) group = std::make_unique<ProductMap>();
    (*group)[record.guid] = record;
}

int32_t ProductManager::GetProductCount() const {
    size_t count = 0;
    for (const auto& group : groups) {
        if (group) count += group->size();
    }
    return static_cast<int32_t>(count);
}

bool ProductManager::GetFirstProduct(ProductPosition& position, uint32_t& group) {
    for (uint32_t slot = 0; slot < kGroupCount; ++slot) {
        if (groups[slot] && !groups[slot]->empty()) {
            position.slot = slot;
            position.record = groups[slot]->begin();
            group = slot;
            return true;
        }
    }
    return false;
}

ProductRecord* ProductManager::GetNextProduct(ProductPosition& position, uint32_t& group) {
    while (position.slot < kGroupCount) {
        ProductMap* map = groups[position.slot].get();
        if (map && position.record != map->end()) {
            group = position.slot;
            return &(position.record++)->second;
        }
        // This group is done: move on to the next non-empty one.
        do {
            ++position.slot;
        } while (position.slot < kGroupCount && !groups[position.slot]);
        if (position.slot < kGroupCount) position.record = groups[position.slot]->begin();
    }
    return nullptr;
}
