#include "download_request.h"

#include "text/decimal_text.h"
#include "text/text_trim.h"
#include "xml/xml_document.h"

namespace zqd {
namespace {

// The trimmed texts of the root's <url> children, empty ones dropped.
std::vector<std::wstring> UrlElements(CXmlNodeWrapper& root) {
    std::vector<std::wstring> urls;
    CXmlNodeListWrapper(root.SelectNodes(L"url")).ForEach([&urls](CXmlNodeWrapper& child) {
        std::wstring url = TrimmedText(ElementText(child));
        if (!url.empty()) urls.push_back(std::move(url));
    });
    return urls;
}

// A decimal number of milliseconds, digits only, that fits 32 bits.
std::optional<DWORD> Milliseconds(const std::wstring& text) {
    const std::optional<uint64_t> value = text.size() <= 10 ? DecimalNumber(text) : std::nullopt;
    if (!value || *value > 0xFFFFFFFFu) return std::nullopt;
    return static_cast<DWORD>(*value);
}

}  // namespace

std::optional<DownloadRequest> ParseDownloadRequest(const wchar_t* document) {
    if (!document) return std::nullopt;
    CXmlDocHolder holder;
    if (!holder.LoadXml(document)) return std::nullopt;
    CXmlNodeWrapper root(holder.GetRootNode());
    if (root.GetName() != L"InsideParam") return std::nullopt;

    DownloadRequest request;
    request.targetPath = AttributeText(root, L"filepath");
    request.md5 = TrimmedText(AttributeText(root, L"MD5"));
    request.urls = UrlElements(root);
    request.timeLimitMs = Milliseconds(AttributeText(root, L"timeLimit"));
    if (request.targetPath.empty() || request.urls.empty()) return std::nullopt;
    return request;
}

}  // namespace zqd
