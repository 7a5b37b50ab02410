#include "child_process.h"

#include <vector>

#include "error_text.h"

namespace {

constexpr UINT kEndedExitCode = 1;

UniqueHandle KillOnCloseJob() {
    UniqueHandle job(CreateJobObjectW(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    // Breakaway allowed: before Windows 8 a process is in one job at most, and
    // the runner's own tests start programs of their own in jobs of their own.
    // A crash ends its process without any error-reporting dialog, whatever
    // error mode a program sets for itself.
    limits.BasicLimitInformation.LimitFlags =
        JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_BREAKAWAY_OK | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
    if (job && !SetInformationJobObject(job.Get(), JobObjectExtendedLimitInformation, &limits, sizeof limits)) job.Reset();
    return job;
}

// A suspended start: the process and its first thread, or false.
bool StartSuspended(const ChildStart& start, DWORD flags, PROCESS_INFORMATION& info) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = start.input;
    startup.hStdOutput = start.output;
    startup.hStdError = start.output;
    std::vector<wchar_t> commandLine(start.commandLine.begin(), start.commandLine.end());
    commandLine.push_back(L'\0');
    // No CREATE_DEFAULT_ERROR_MODE: the program keeps the runner's error mode,
    // so a crash ends it with its exception code instead of a dialog.
    info = {};
    return CreateProcessW(start.program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED | flags,
                          nullptr, start.workingFolder.c_str(), &startup, &info);
}

enum class Start { kRunning, kNotStarted, kNotInJob };

// Starts the program, puts it in job (when there is one) and resumes it. A
// program that cannot join the job is ended before it ran.
Start StartIn(const ChildStart& start, HANDLE job, DWORD flags, StartedChild& child) {
    PROCESS_INFORMATION info;
    if (!StartSuspended(start, flags, info)) {
        child.startError = GetLastError();
        return Start::kNotStarted;
    }
    UniqueHandle process(info.hProcess);
    const UniqueHandle thread(info.hThread);
    if (job && !AssignProcessToJobObject(job, process.Get())) {
        child.startError = GetLastError();
        TerminateProcess(process.Get(), kEndedExitCode);
        return Start::kNotInJob;
    }
    ResumeThread(thread.Get());
    child.process = std::move(process);
    return Start::kRunning;
}

std::wstring OutsideJobNote(DWORD error) {
    return L"could not put the program in a job object (" + ErrorText(error) +
           L"): at its time limit only the program itself is ended, not the programs it started";
}

}  // namespace

StartedChild StartChild(const ChildStart& start) {
    StartedChild child;
    child.job = KillOnCloseJob();
    if (!child.job) child.note = OutsideJobNote(GetLastError());
    if (StartIn(start, child.job.Get(), 0, child) != Start::kNotInJob) return child;
    // Before Windows 8 a process is in one job at most: when the runner is
    // itself in one (the Program Compatibility Assistant's, a scheduler's),
    // the program can join its own only by breaking away, where that job
    // allows it; else it runs without.
    const DWORD joinError = child.startError;
    if (StartIn(start, child.job.Get(), CREATE_BREAKAWAY_FROM_JOB, child) == Start::kRunning) return child;
    child.job.Reset();
    child.note = OutsideJobNote(joinError);
    StartIn(start, nullptr, 0, child);
    return child;
}

void EndChild(const StartedChild& child) {
    if (child.job) {
        TerminateJobObject(child.job.Get(), kEndedExitCode);
    } else if (child.process) {
        TerminateProcess(child.process.Get(), kEndedExitCode);
    }
}
