#include "fetch_worker.h"

#include <memory>

#include "downloader.h"
#include "log/debug_log.h"
#include "win32/win_owners.h"

namespace zqd {
namespace {

// What the worker and the waiting thread share. The worker keeps its own
// copy of the request: the caller's may be gone before the worker ends.
struct WorkerState {
    WorkerState(const DownloadRequest& fetched, const FetchLimits& limits) : request(fetched), transfer(limits) {}

    const DownloadRequest request;
    Transfer transfer;
    std::optional<std::string> content;  // read only once the worker has ended
};

struct WorkerStart {
    std::shared_ptr<WorkerState> state;
    UniqueModule module;  // a reference of the worker's own to this module
};

// This module, with one more reference to it: the worker gives it back as
// the last thing it does, so the code it runs stays loaded until then.
HMODULE ReferenceOwnModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&ReferenceOwnModule),
                       &module);
    return module;
}

DWORD WINAPI WorkerMain(void* parameter) {
    // Given back by hand below: the call that frees it must also end the thread.
    const HMODULE module = static_cast<WorkerStart*>(parameter)->module.Release();
    {
        const std::unique_ptr<WorkerStart> start(static_cast<WorkerStart*>(parameter));
        WorkerState& state = *start->state;
        try {
            state.content = FirstAcceptedContent(state.request, state.transfer);
        } catch (...) {
            state.content.reset();
        }
    }
    if (module) FreeLibraryAndExitThread(module, 0);
    return 0;
}

// The worker's thread, or none when it could not be started.
UniqueHandle StartWorker(const std::shared_ptr<WorkerState>& state) {
    auto start = std::make_unique<WorkerStart>(WorkerStart{state, UniqueModule(ReferenceOwnModule())});
    UniqueHandle thread(CreateThread(nullptr, 0, &WorkerMain, start.get(), 0, nullptr));
    if (thread) start.release();  // the worker's now
    return thread;
}

}  // namespace

std::optional<std::string> FetchBeforeDeadline(const DownloadRequest& request, const FetchLimits& limits) {
    const auto state = std::make_shared<WorkerState>(request, limits);
    const UniqueHandle worker = StartWorker(state);
    if (!worker) return std::nullopt;
    const std::optional<DWORD> remaining = state->transfer.deadline.Remaining();
    if (remaining && WaitForSingleObject(worker.Get(), *remaining) == WAIT_OBJECT_0) return std::move(state->content);
    state->transfer.handles.CloseAll();
    CMLog::GetInstance().Log(L"download stopped: its time limit passed");
    return std::nullopt;
}

}  // namespace zqd
