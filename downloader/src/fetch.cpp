#include "fetch.h"

#include <cwctype>

namespace zqd {
namespace {

bool HasScheme(const std::wstring& url, const std::wstring& scheme) {
    if (url.size() < scheme.size()) return false;
    for (std::size_t i = 0; i < scheme.size(); ++i) {
        if (std::towlower(url[i]) != scheme[i]) return false;
    }
    return true;
}

}  // namespace

Deadline::Deadline(DWORD fromNowMs) : end_(std::chrono::steady_clock::now() + std::chrono::milliseconds(fromNowMs)) {}

std::optional<DWORD> Deadline::Remaining() const {
    // Rounded up, so that a wait is never set to 0, which can mean "no limit".
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(end_ - std::chrono::steady_clock::now());
    if (left.count() <= 0) return std::nullopt;
    return static_cast<DWORD>(left.count());
}

std::optional<std::string> FetchUrl(const std::wstring& url, Transfer& transfer) {
    if (!transfer.Going()) return std::nullopt;
    if (HasScheme(url, L"http://") || HasScheme(url, L"https://")) return FetchHttp(url, transfer);
    if (HasScheme(url, L"file:")) return FetchFileUrl(url, transfer.limits);
    return std::nullopt;
}

}  // namespace zqd
