#include "child_run.h"

#include <algorithm>
#include <string_view>

#include "child_process.h"
#include "command_line.h"
#include "output_pipe.h"

namespace {

// How long output is still read once the program has ended: a process it
// started outside its job may hold the pipe open.
constexpr ULONGLONG kDrainMs = 5000;
// How long an ended program may take to go.
constexpr DWORD kEndingMs = 30000;

UniqueFile OpenNulInput() {
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    return UniqueFile(CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable, OPEN_EXISTING,
                                  0, nullptr));
}

DWORD MsUntil(ULONGLONG moment) {
    const ULONGLONG now = GetTickCount64();
    return moment > now ? static_cast<DWORD>(moment - now) : 0;
}

// Output beyond this is read and dropped: a program that prints without end
// must not take the runner's memory.
constexpr size_t kOutputLimit = 32u << 20;

void Keep(std::string_view bytes, const ChildListener& listener, ChildResult& result) {
    if (result.output.size() >= kOutputLimit) return;
    const size_t count = std::min(bytes.size(), kOutputLimit - result.output.size());
    result.output.append(bytes.data(), count);
    if (listener.output) listener.output(bytes.data(), count);
    if (result.output.size() == kOutputLimit && listener.note) listener.note(L"output beyond 32 MiB dropped");
}

// Reads the program's output until the pipe closes and the program has
// ended; ends it at its time limit, and what it left running in its job once
// it has ended. The clock is read on every turn: a program that never stops
// printing keeps the pipe ready, and must still meet its limit.
void Follow(StartedChild& child, HANDLE pipe, DWORD limitSeconds, const ChildListener& listener, ChildResult& result) {
    PipeReader reader(pipe);
    const ULONGLONG deadline = GetTickCount64() + limitSeconds * 1000ULL;
    bool pipeOpen = true;
    bool ended = false;
    ULONGLONG drainUntil = 0;
    for (;;) {
        pipeOpen = pipeOpen && reader.Begin();
        if (!pipeOpen && ended) return;
        const DWORD left = MsUntil(ended ? drainUntil : deadline);
        HANDLE waits[2];
        DWORD count = 0;
        if (pipeOpen) waits[count++] = reader.Event();
        if (!ended) waits[count++] = child.process.Get();
        const DWORD woke = left ? WaitForMultipleObjects(count, waits, FALSE, left) : WAIT_TIMEOUT;
        const HANDLE signalled = woke - WAIT_OBJECT_0 < count ? waits[woke - WAIT_OBJECT_0] : nullptr;
        if (pipeOpen && signalled == reader.Event()) {
            const auto bytes = reader.Finish();
            pipeOpen = bytes.has_value();
            if (pipeOpen) Keep(*bytes, listener, result);
            continue;
        }
        if (ended) return;  // the drain time is over
        if (signalled != child.process.Get()) {
            result.ending = ChildEnding::kTimeLimit;
            EndChild(child);
            WaitForSingleObject(child.process.Get(), kEndingMs);
        }
        ended = true;
        child.job.Reset();  // ends what the program left running
        drainUntil = GetTickCount64() + kDrainMs;
    }
}

}  // namespace

ChildResult RunChild(const ChildRequest& request, const ChildListener& listener) {
    ChildResult result;
    OutputPipe pipe = CreateOutputPipe();
    const UniqueFile input = OpenNulInput();
    if (!pipe.readEnd || !input) {
        result.startError = GetLastError();
        return result;
    }
    const ULONGLONG started = GetTickCount64();
    StartedChild child = StartChild(
        {request.program, CommandLine(request.program, request.arguments), request.workingFolder, input.Get(), pipe.writeEnd.Get()});
    pipe.writeEnd.Reset();  // the program's copy is the only one: the pipe closes when it goes
    if (!child.process) {
        result.startError = child.startError;
        return result;
    }
    if (!child.note.empty() && listener.note) listener.note(child.note);
    result.ending = ChildEnding::kExited;
    Follow(child, pipe.readEnd.Get(), request.timeLimitSeconds, listener, result);
    WaitForSingleObject(child.process.Get(), kEndingMs);
    GetExitCodeProcess(child.process.Get(), &result.exitCode);
    result.seconds = static_cast<DWORD>((GetTickCount64() - started + 500) / 1000);
    return result;
}
