// Replacing a file so that readers see either the old or the new contents.
#ifndef ZQDOWNLOAD_ATOMIC_FILE_H
#define ZQDOWNLOAD_ATOMIC_FILE_H

#include <string>

namespace zqd {

// Writes bytes to a temporary file beside target, then moves it over target.
// On failure target is untouched and the temporary file is gone.
bool ReplaceFileAtomically(const std::wstring& target, const std::string& bytes);

}  // namespace zqd

#endif
