// The module's only export, called by Wareseek as
// DownloadPackage(0, hostValue, pluginId, request, 0, 0).
#include <type_traits>

#include "downloader.h"
#include "wareseek/download_api.h"

extern "C" __declspec(dllexport) int __cdecl DownloadPackage(int reserved, int hostValue, int pluginId,
                                                             const wchar_t* request, int reserved2, int reserved3);
static_assert(std::is_same_v<decltype(&DownloadPackage), DownloadPackageFn>,
              "DownloadPackage must match the host's declaration");

// Only the request document matters; the other arguments are the host's.
extern "C" int __cdecl DownloadPackage(int, int, int, const wchar_t* request, int, int) {
    // Nothing may unwind into the caller, which is not C++.
    try {
        return zqd::HandleRequestDocument(request, zqd::kDefaultLimits) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}
