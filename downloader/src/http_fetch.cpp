// http: and https: through WinINet, bypassing the cache in both directions.
// Redirects are followed here, not by WinINet, so that each hop is held to the
// deadline and to the rules below.
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <initializer_list>

#include "fetch.h"
#include "server_certificate.h"
#include "log/debug_log.h"

namespace zqd {
namespace {

// A catalogue server has no reason to send a client further than this.
const int kMaxRedirects = 5;

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
// before the deadline; false once it has passed or the transfer's handles
// have been closed. A handle that refuses an option keeps WinINet's own
// limit, and the deadline is still checked here.
bool LimitWaits(HINTERNET handle, std::initializer_list<DWORD> options, const Transfer& transfer) {
    const std::optional<DWORD> remaining = transfer.deadline.Remaining();
    if (!remaining) return false;
    DWORD limit = std::min(transfer.limits.timeoutMs, *remaining);
    return transfer.handles.Use(handle, false, [&](HINTERNET owned) {
        for (DWORD option : options) InternetSetOptionW(owned, option, &limit, sizeof limit);
        return true;
    });
}

// The calls below that wait for the server run only while the transfer still
// owns their handle (see TransferHandles).
bool Ready(HINTERNET handle, const Transfer& transfer) {
    if (transfer.handles.Ready(handle)) return true;
    SetLastError(ERROR_INTERNET_OPERATION_CANCELLED);
    return false;
}

bool Send(HINTERNET request, const Transfer& transfer) {
    return Ready(request, transfer) && HttpSendRequestW(request, nullptr, 0, nullptr, 0);
}

bool AwaitData(HINTERNET request, DWORD& available, const Transfer& transfer) {
    return Ready(request, transfer) && InternetQueryDataAvailable(request, &available, 0, 0);
}

// One hop's connection and request; the request is closed first.
struct SentRequest {
    TransferHandle connection;
    TransferHandle request;
};

// Connects and sends the request for one hop. Its waits are set on the
// request handle before it is sent: Wine takes them from there at sending and
// ignores both the session's values and later changes, so the receive
// time-out set here bounds every wait for this response under Wine.
SentRequest SendRequest(HINTERNET session, const HttpTarget& target, Transfer& transfer) {
    SentRequest sent;
    sent.connection = transfer.handles.Open(session, [&target](HINTERNET owned) {
        return InternetConnectW(owned, target.host.c_str(), target.port, OrNull(target.user), OrNull(target.password),
                                INTERNET_SERVICE_HTTP, 0, 0);
    });
    if (!sent.connection) return SentRequest();
    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_UI |
                  INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_AUTO_REDIRECT;
    if (target.scheme == INTERNET_SCHEME_HTTPS) flags |= INTERNET_FLAG_SECURE;
    sent.request = transfer.handles.Open(sent.connection.Get(), [&target, flags](HINTERNET owned) {
        return HttpOpenRequestW(owned, L"GET", target.object.c_str(), nullptr, nullptr, nullptr, flags, 0);
    });
    const std::initializer_list<DWORD> waits = {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                                                INTERNET_OPTION_RECEIVE_TIMEOUT};
    if (!sent.request || !LimitWaits(sent.request.Get(), waits, transfer)) return SentRequest();
    if (!Send(sent.request.Get(), transfer)) {
        LogCertificateFailure(GetLastError());
        return SentRequest();
    }
    // WinINet checked the certificate while connecting; the module checks it again.
    if (target.scheme == INTERNET_SCHEME_HTTPS &&
        !ServerCertificateAccepted(transfer.handles.Use(sent.request.Get(), UniqueCertChain(), &ReceivedChain),
                                   target.host)) {
        return SentRequest();
    }
    return sent;
}

std::optional<DWORD> QueryNumber(HINTERNET request, DWORD info, const Transfer& transfer) {
    DWORD value = 0;
    DWORD size = sizeof value;
    const bool known = transfer.handles.Use(request, false, [&](HINTERNET owned) {
        return HttpQueryInfoW(owned, info | HTTP_QUERY_FLAG_NUMBER, &value, &size, nullptr) != FALSE;
    });
    if (!known) return std::nullopt;
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
std::optional<std::string> ReadBody(HINTERNET request, const Transfer& transfer) {
    const std::size_t maxBytes = transfer.limits.maxBytes;
    std::string body;
    char chunk[64 * 1024];
    for (;;) {
        DWORD available = 0;
        if (!LimitWaits(request, {INTERNET_OPTION_RECEIVE_TIMEOUT}, transfer) ||
            !AwaitData(request, available, transfer)) {
            return std::nullopt;
        }
        if (available == 0) return body;
        // What was reported available has arrived: reading it does not wait.
        DWORD read = 0;
        const bool readOk = transfer.handles.Use(request, false, [&](HINTERNET owned) {
            return InternetReadFile(owned, chunk, std::min<DWORD>(available, sizeof chunk), &read) != FALSE;
        });
        if (!readOk) return std::nullopt;
        if (read == 0) return body;
        if (read > maxBytes - body.size()) return std::nullopt;
        body.append(chunk, read);
    }
}

// The body of a 200 answer. A declared length lets an oversize answer be
// refused before reading it, and a shorter body than declared means the
// connection broke.
std::optional<std::string> ReadResponse(HINTERNET request, const Transfer& transfer) {
    const std::optional<DWORD> declared = QueryNumber(request, HTTP_QUERY_CONTENT_LENGTH, transfer);
    if (declared && *declared > transfer.limits.maxBytes) return std::nullopt;
    std::optional<std::string> body = ReadBody(request, transfer);
    if (body && declared && body->size() != *declared) return std::nullopt;
    return body;
}

bool IsRedirect(DWORD status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// Where a redirect answer points: its Location, resolved against the address
// that gave it. Nothing without one, or when either does not fit a URL buffer.
std::optional<std::wstring> RedirectAddress(HINTERNET request, const std::wstring& from, const Transfer& transfer) {
    std::wstring location(INTERNET_MAX_URL_LENGTH, L'\0');
    DWORD size = static_cast<DWORD>(location.size() * sizeof(wchar_t));
    const bool located = transfer.handles.Use(request, false, [&](HINTERNET owned) {
        return HttpQueryInfoW(owned, HTTP_QUERY_LOCATION, &location[0], &size, nullptr) != FALSE;
    });
    if (!located) return std::nullopt;
    location.resize(size / sizeof(wchar_t));
    std::wstring combined(INTERNET_MAX_URL_LENGTH, L'\0');
    DWORD length = static_cast<DWORD>(combined.size());
    if (!InternetCombineUrlW(from.c_str(), location.c_str(), &combined[0], &length, ICU_NO_ENCODE)) return std::nullopt;
    combined.resize(length);
    return combined;
}

// The next hop's address, or nothing when the redirect may not be followed:
// from https to plain http would hand the answer to anyone on the path, and
// any scheme but http and https is refused.
std::optional<std::wstring> NextAddress(HINTERNET request, const std::wstring& from, INTERNET_SCHEME fromScheme,
                                        const Transfer& transfer) {
    const std::optional<std::wstring> next = RedirectAddress(request, from, transfer);
    const std::optional<HttpTarget> target = next ? CrackHttpUrl(*next) : std::nullopt;
    if (!target) {
        CMLog::GetInstance().Log(L"redirect refused: no usable http or https address");
        return std::nullopt;
    }
    if (fromScheme == INTERNET_SCHEME_HTTPS && target->scheme != INTERNET_SCHEME_HTTPS) {
        CMLog::GetInstance().Log(L"redirect refused: from https to http");
        return std::nullopt;
    }
    return next;
}

}  // namespace

std::optional<std::string> FetchHttp(const std::wstring& url, Transfer& transfer) {
    const TransferHandle session =
        transfer.handles.Adopt(InternetOpenW(L"Wareseek", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) return std::nullopt;
    std::optional<std::wstring> address = url;
    for (int redirects = 0;; ++redirects) {
        const std::optional<HttpTarget> target = CrackHttpUrl(*address);
        if (!target) return std::nullopt;
        const SentRequest sent = SendRequest(session.Get(), *target, transfer);
        const std::optional<DWORD> status =
            sent.request ? QueryNumber(sent.request.Get(), HTTP_QUERY_STATUS_CODE, transfer) : std::nullopt;
        if (status == DWORD{200}) return ReadResponse(sent.request.Get(), transfer);
        if (!status || !IsRedirect(*status)) return std::nullopt;
        if (redirects == kMaxRedirects) {
            CMLog::GetInstance().Log(L"redirect refused: more than 5 in a row");
            return std::nullopt;
        }
        address = NextAddress(sent.request.Get(), *address, target->scheme, transfer);
        if (!address) return std::nullopt;
    }
}

}  // namespace zqd
