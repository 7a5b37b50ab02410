#pragma once
// A way to watch a detection pass step by step, for tools that explain why a
// product was or was not found. The probes call these hooks only when an
// observer is given; the module itself never gives one, so its pass does
// exactly what it did before, at the cost of a null test per step.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

struct DetectMethod;
struct ProductRecord;

// How a registry read ended.
enum class RegistryReadOutcome {
    kRead,          // the value's text is in the buffer
    kKeyNotOpened,  // RegOpenKeyExW failed: status says why
    kValueNotRead,  // RegQueryValueExW failed: status says why (ERROR_MORE_DATA: too long)
    kNoTerminator,  // the data fills the whole buffer: the text would be cut
    kRootRefused,   // rootKey names no root a catalogue may use: nothing was opened
    kExpansionTooLong,  // a REG_EXPAND_SZ text was read, but its expansion does not fit a path
};

// One registry read of a method, whose key and value names are the method's.
struct RegistryReadReport {
    HKEY root = nullptr;  // the number the method's rootKey text converts to, opened or not
    bool view64 = false;  // the 64-bit view was asked for
    RegistryReadOutcome outcome = RegistryReadOutcome::kRead;
    LONG status = ERROR_SUCCESS;
    const wchar_t* text = L"";  // the text read, empty unless outcome is kRead or kExpansionTooLong
    bool expandable = false;    // REG_EXPAND_SZ: the path tested is the text expanded
    const wchar_t* expanded = L"";  // that path, empty unless outcome is kRead
};

// What a file-system test asked.
enum class PathQuestion {
    kIsFolder,  // does the registry text name an existing folder
    kExists,    // does the path name an existing file or folder
};

class DetectionObserver {
public:
    virtual ~DetectionObserver() = default;

    // The pass.
    virtual void ProductStarted(uint32_t /*group*/, const ProductRecord& /*record*/) {}
    virtual void MethodStarted(size_t /*index*/, const DetectMethod& /*method*/) {}
    virtual void MethodFinished(bool /*found*/, const std::wstring& /*foundPath*/, int32_t /*binaryType*/) {}
    virtual void ProductFinished(const ProductRecord& /*record*/) {}

    // The registry/file probe.
    virtual void RegistryRead(const RegistryReadReport& /*read*/) {}
    // redirectionOff: asked of the 64-bit system folder, for a value of the
    // 64-bit view (under WOW64 this process otherwise sees SysWOW64).
    virtual void PathTested(const std::wstring& /*path*/, PathQuestion /*question*/, bool /*answer*/,
                            bool /*redirectionOff*/) {}
    virtual void PathTooLong(const std::wstring& /*folder*/, const std::wstring& /*binary*/) {}

    // The process probe. processCount is 0 when the list could not be taken.
    virtual void ProcessListTaken(size_t /*processCount*/) {}
    virtual void ProcessLookedUp(const std::wstring& /*image*/, bool /*running*/, uint32_t /*processId*/) {}
    virtual void ProcessPathRead(uint32_t /*processId*/, const std::wstring& /*path*/) {}
};
