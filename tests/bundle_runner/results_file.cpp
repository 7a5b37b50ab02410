#include "results_file.h"

#include "error_text.h"

namespace {

UniqueFile CreateAnew(const std::wstring& path) {
    return UniqueFile(
        CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::wstring TemporaryFolder() {
    wchar_t folder[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    return length > 0 && length <= MAX_PATH ? std::wstring(folder, length) : std::wstring();
}

}  // namespace

ResultsFile CreateResultsFile(const std::wstring& bundleFolder, bool elevated) {
    const std::wstring name =
        elevated ? L"wareseek-test-results-elevated.txt" : L"wareseek-test-results-standard.txt";
    ResultsFile results{CreateAnew(bundleFolder + name), bundleFolder + name};
    if (results.file) return results;
    const DWORD bundleError = GetLastError();
    const std::wstring temporary = TemporaryFolder();
    if (!temporary.empty()) {
        results = {CreateAnew(temporary + name), temporary + name};
        if (results.file) return results;
    }
    results.path = L"not written: " + bundleFolder + name + L": " + ErrorText(bundleError);
    return results;
}
