// MD5 digests through CryptoAPI, for checking a download against "MD5".
#ifndef ZQDOWNLOAD_MD5_H
#define ZQDOWNLOAD_MD5_H

#include <optional>
#include <string>

namespace zqd {

// Lower-case hex digest of bytes, or nothing when CryptoAPI fails.
std::optional<std::wstring> Md5Hex(const std::string& bytes);

// True when bytes hash to expectedHex, compared without regard to case.
bool Md5Matches(const std::string& bytes, const std::wstring& expectedHex);

}  // namespace zqd

#endif
