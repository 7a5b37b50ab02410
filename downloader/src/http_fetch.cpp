// http: and https: through WinINet, bypassing the cache in both directions.
#include <windows.h>
#include <wininet.h>

#include "fetch.h"
#include "support/win_owners.h"

namespace zqd {
namespace {

struct InternetHandleTraits {
    using Handle = HINTERNET;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle handle) { return handle != nullptr; }
    static void Close(Handle handle) { InternetCloseHandle(handle); }
};
using InternetHandle = UniqueWinHandle<InternetHandleTraits>;

void SetTimeouts(HINTERNET session, DWORD timeoutMs) {
    for (DWORD option :
         {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT}) {
        InternetSetOptionW(session, option, &timeoutMs, sizeof timeoutMs);
    }
}

std::optional<DWORD> QueryNumber(HINTERNET request, DWORD info) {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (!HttpQueryInfoW(request, info | HTTP_QUERY_FLAG_NUMBER, &value, &size, nullptr)) return std::nullopt;
    return value;
}

// Reads to the end of the response, giving up once it exceeds maxBytes.
std::optional<std::string> ReadBody(HINTERNET request, std::size_t maxBytes) {
    std::string body;
    char chunk[64 * 1024];
    for (;;) {
        DWORD read = 0;
        if (!InternetReadFile(request, chunk, sizeof chunk, &read)) return std::nullopt;
        if (read == 0) return body;
        if (read > maxBytes - body.size()) return std::nullopt;
        body.append(chunk, read);
    }
}

}  // namespace

std::optional<std::string> FetchHttp(const std::wstring& url, const FetchLimits& limits) {
    InternetHandle session(InternetOpenW(L"Wareseek", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) return std::nullopt;
    SetTimeouts(session.Get(), limits.timeoutMs);

    const DWORD flags =
        INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES;
    InternetHandle request(InternetOpenUrlW(session.Get(), url.c_str(), nullptr, 0, flags, 0));
    if (!request || QueryNumber(request.Get(), HTTP_QUERY_STATUS_CODE) != DWORD{200}) return std::nullopt;

    // A declared length lets an oversize answer be refused before reading it,
    // and a shorter body than declared means the connection broke.
    const std::optional<DWORD> declared = QueryNumber(request.Get(), HTTP_QUERY_CONTENT_LENGTH);
    if (declared && *declared > limits.maxBytes) return std::nullopt;
    std::optional<std::string> body = ReadBody(request.Get(), limits.maxBytes);
    if (body && declared && body->size() != *declared) return std::nullopt;
    return body;
}

}  // namespace zqd
