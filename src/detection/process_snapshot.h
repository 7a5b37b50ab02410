#pragma once
// The running processes as one detection pass sees them: listed at most once
// per pass, by the first process method that runs, and gone with the pass.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "detection/image_name_order.h"

// Running processes, image name to process id; names compare as file names do.
using ProcessIdMap = std::map<std::wstring, uint32_t, ImageNameLess>;

struct ProcessSnapshot {
    ProcessIdMap processIds;  // image name -> process id
    // Image name -> the ids of every process of that name, in list order, for
    // names that several running processes share, until a method settles
    // which one processIds gives; filled with processIds.
    std::map<std::wstring, std::vector<uint32_t>, ImageNameLess> namesakes;
    // Process id -> path of its executable ("" when it can't be read), read
    // at most once per snapshot.
    std::map<uint32_t, std::wstring> paths;
};
