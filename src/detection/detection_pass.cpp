#include "catalogue/product_manager.h"
#include "detection/detection_pass.h"
#include "detection/detection_observer.h"
#include "detection/probes.h"
#include "detection/process_snapshot.h"
#include "detection/split_path.h"

namespace {

int32_t RunProbe(const DetectMethod& method, ProcessSnapshot& snapshot, int32_t& binaryType, std::wstring& foundPath,
                 DetectionObserver* observer) {
    switch (method.methodType) {
        case kMethodRegistryFile: return ProbeRegistryFile(method.params, binaryType, foundPath, observer);
        case kMethodProcess: return ProbeProcess(method.params, binaryType, snapshot, foundPath, observer);
        default: return 0;  // an unknown kind of method never finds anything
    }
}

int32_t RunMethod(size_t index, const DetectMethod& method, ProcessSnapshot& snapshot, int32_t& binaryType,
                  std::wstring& foundPath, DetectionObserver* observer) {
    if (observer) observer->MethodStarted(index, method);
    const int32_t found = RunProbe(method, snapshot, binaryType, foundPath, observer);
    if (observer) observer->MethodFinished(found != 0, foundPath, binaryType);
    return found;
}

}  // namespace

int32_t DetectProduct(ProductRecord& record, ProcessSnapshot& snapshot, DetectionObserver* observer) {
    for (size_t index = 0; index < record.methods.size(); ++index) {
        std::wstring foundPath;
        int32_t binaryType = -1;
        if (!RunMethod(index, record.methods[index], snapshot, binaryType, foundPath, observer)) continue;
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

int32_t ProductManager::RunDetection(DetectionObserver* observer) {
    ProcessSnapshot snapshot;  // taken by the first process method of the pass
    ProductPosition position;
    uint32_t group = 0;
    if (!GetFirstProduct(position, group)) return 1;
    while (ProductRecord* record = GetNextProduct(position, group)) {
        if (observer) observer->ProductStarted(group, *record);
        record->installed = DetectProduct(*record, snapshot, observer);
        if (observer) observer->ProductFinished(*record);
    }
    return 1;
}
