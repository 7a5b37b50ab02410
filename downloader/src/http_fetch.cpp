// http: and https: through WinINet, bypassing the cache in both directions.
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <initializer_list>

#include "fetch.h"
#include "server_certificate.h"
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

// Where an http: or https: address points, split as WinINet connects to it.
struct HttpTarget {
    INTERNET_SCHEME scheme;
    std::wstring host;
    INTERNET_PORT port;
    std::wstring user;
    std::wstring password;
    std::wstring object;  // path and query, as sent
};

std::wstring Part(const wchar_t* text, DWORD length) {
    return text ? std::wstring(text, length) : std::wstring();
}

std::optional<HttpTarget> CrackHttpUrl(const std::wstring& url) {
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof parts;
    // Non-zero lengths ask for pointers into url.
    parts.dwHostNameLength = parts.dwUserNameLength = parts.dwPasswordLength = 1;
    parts.dwUrlPathLength = parts.dwExtraInfoLength = 1;
    if (!InternetCrackUrlW(url.c_str(), 0, 0, &parts)) return std::nullopt;
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return std::nullopt;
    std::wstring object =
        Part(parts.lpszUrlPath, parts.dwUrlPathLength) + Part(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    object = object.substr(0, object.find(L'#'));  // a fragment is not sent
    if (object.empty() || object[0] != L'/') object.insert(0, 1, L'/');
    return HttpTarget{parts.nScheme,
                      Part(parts.lpszHostName, parts.dwHostNameLength),
                      parts.nPort,
                      Part(parts.lpszUserName, parts.dwUserNameLength),
                      Part(parts.lpszPassword, parts.dwPasswordLength),
                      object};
}

const wchar_t* OrNull(const std::wstring& text) {
    return text.empty() ? nullptr : text.c_str();
}

// Sets the given waits on handle to the per-wait time-out, cut to what is left
// before the deadline; false once it has passed. A handle that refuses an
// option keeps WinINet's own limit, and the deadline is still checked here.
bool LimitWaits(HINTERNET handle, std::initializer_list<DWORD> options, DWORD timeoutMs, const Deadline& deadline) {
    const std::optional<DWORD> remaining = deadline.Remaining();
    if (!remaining) return false;
    DWORD limit = std::min(timeoutMs, *remaining);
    for (DWORD option : options) InternetSetOptionW(handle, option, &limit, sizeof limit);
    return true;
}

// Connects and sends the request, which follows redirects. Its waits are set
// on the request handle before it is sent: Wine takes them from there at
// sending and ignores both the session's values and later changes, so the
// receive time-out set here bounds every wait for this response under Wine.
InternetHandle SendRequest(HINTERNET connection, const HttpTarget& target, const FetchLimits& limits,
                           const Deadline& deadline) {
    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES;
    if (target.scheme == INTERNET_SCHEME_HTTPS) flags |= INTERNET_FLAG_SECURE;
    InternetHandle request(
        HttpOpenRequestW(connection, L"GET", target.object.c_str(), nullptr, nullptr, nullptr, flags, 0));
    const std::initializer_list<DWORD> waits = {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                                                INTERNET_OPTION_RECEIVE_TIMEOUT};
    if (!request || !LimitWaits(request.Get(), waits, limits.timeoutMs, deadline)) return InternetHandle();
    if (!HttpSendRequestW(request.Get(), nullptr, 0, nullptr, 0)) {
        LogCertificateFailure(GetLastError());
        return InternetHandle();
    }
    // WinINet checked the certificate while connecting; the module checks it again.
    if (target.scheme == INTERNET_SCHEME_HTTPS && !ServerCertificateAccepted(request.Get(), target.host)) {
        return InternetHandle();
    }
    return request;
}

std::optional<DWORD> QueryNumber(HINTERNET request, DWORD info) {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (!HttpQueryInfoW(request, info | HTTP_QUERY_FLAG_NUMBER, &value, &size, nullptr)) return std::nullopt;
    return value;
}

// Reads to the end of the response, giving up once it exceeds maxBytes or the
// deadline passes. A synchronous InternetReadFile waits to fill the whole
// buffer (under Wine a 40-byte body sent a byte at a time came back in one
// read), so each round waits in InternetQueryDataAvailable and then reads only
// what it reported. The deadline is thus checked as each piece arrives, and a
// wait for the next piece is bounded by the receive time-out. That is re-set
// before each wait for a WinINet that honours later changes; Wine keeps the
// one in force when the request was sent.
std::optional<std::string> ReadBody(HINTERNET request, const FetchLimits& limits, const Deadline& deadline) {
    std::string body;
    char chunk[64 * 1024];
    for (;;) {
        DWORD available = 0;
        if (!LimitWaits(request, {INTERNET_OPTION_RECEIVE_TIMEOUT}, limits.timeoutMs, deadline) ||
            !InternetQueryDataAvailable(request, &available, 0, 0)) {
            return std::nullopt;
        }
        if (available == 0) return body;
        DWORD read = 0;
        if (!InternetReadFile(request, chunk, std::min<DWORD>(available, sizeof chunk), &read)) return std::nullopt;
        if (read == 0) return body;
        if (read > limits.maxBytes - body.size()) return std::nullopt;
        body.append(chunk, read);
    }
}

}  // namespace

std::optional<std::string> FetchHttp(const std::wstring& url, const FetchLimits& limits, const Deadline& deadline) {
    const std::optional<HttpTarget> target = CrackHttpUrl(url);
    if (!target) return std::nullopt;
    InternetHandle session(InternetOpenW(L"Wareseek", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) return std::nullopt;
    InternetHandle connection(InternetConnectW(session.Get(), target->host.c_str(), target->port, OrNull(target->user),
                                               OrNull(target->password), INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) return std::nullopt;
    InternetHandle request = SendRequest(connection.Get(), *target, limits, deadline);
    if (!request || QueryNumber(request.Get(), HTTP_QUERY_STATUS_CODE) != DWORD{200}) return std::nullopt;

    // A declared length lets an oversize answer be refused before reading it,
    // and a shorter body than declared means the connection broke.
    const std::optional<DWORD> declared = QueryNumber(request.Get(), HTTP_QUERY_CONTENT_LENGTH);
    if (declared && *declared > limits.maxBytes) return std::nullopt;
    std::optional<std::string> body = ReadBody(request.Get(), limits, deadline);
    if (body && declared && body->size() != *declared) return std::nullopt;
    return body;
}

}  // namespace zqd
