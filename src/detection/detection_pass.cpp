#include "catalogue/product_manager.h"
#include "detection/detection_pass.h"
#include "detection/probes.h"
#include "detection/split_path.h"

namespace {

int32_t RunProbe(const DetectMethod& method, ProductManager& manager, int32_t& binaryType, std::wstring& foundPath) {
    switch (method.methodType) {
        case kMethodRegistryFile: return ProbeRegistryFile(method.params, binaryType, foundPath);
        case kMethodProcess: return ProbeProcess(method.params, binaryType, manager, foundPath);
        default: return 0;  // an unknown kind of method never finds anything
    }
}

}  // namespace

int32_t DetectProduct(ProductRecord& record, ProductManager& manager) {
    for (const DetectMethod& method : record.methods) {
        std::wstring foundPath;
        int32_t binaryType = -1;
        if (!RunProbe(method, manager, binaryType, foundPath)) continue;
        wchar_t folder[MAX_PATH] = {};
        wchar_t file[MAX_PATH] = {};
        // An unsplittable path still counts as found; the old found fields stay.
        if (!foundPath.empty() && SplitPath(foundPath.c_str(), folder, file)) {
            record.foundFolder = folder;
            record.foundFile = file;
            record.foundType = binaryType;
        }
        return 1;
    }
    return 0;
}

int32_t ProductManager::RunDetection() {
    processIds.clear();
    ProductPosition position;
    uint32_t group = 0;
    if (!GetFirstProduct(position, group)) return 1;
    while (ProductRecord* record = GetNextProduct(position, group)) {
        record->installed = DetectProduct(*record, *this);
    }
    return 1;
}
