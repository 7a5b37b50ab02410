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

std::optional<std::string> FetchUrl(const std::wstring& url, Transfer& transfer) {
    if (!transfer.Going()) return std::nullopt;
    if (HasScheme(url, L"http://") || HasScheme(url, L"https://")) return FetchHttp(url, transfer);
    if (HasScheme(url, L"file:")) return FetchFileUrl(url, transfer.limits);
    return std::nullopt;
}

}  // namespace zqd
