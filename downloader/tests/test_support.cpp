#include "test_support.h"

#include "xml/xml_escape.h"
#include "win32/library_function.h"

namespace zqd_test {
std::wstring FileUrl(const std::wstring& path) {
    std::wstring url = L"file:///" + path;
    for (wchar_t& c : url) {
        if (c == L'\\') c = L'/';
    }
    return url;
}

std::wstring RequestDocument(const std::wstring& target, const std::wstring& md5,
                             const std::vector<std::wstring>& urls) {
    std::wstring document =
        L"<InsideParam filepath=\"" + XmlEscape(target) + L"\" text=\"\" MD5=\"" + XmlEscape(md5) + L"\" action=\"0\">";
    for (const std::wstring& url : urls) document += L"<url>" + XmlEscape(url) + L"</url>";
    return document + L"</InsideParam>";
}

DownloadModule::DownloadModule() : module_(LoadLibraryW((StageFolder() + L"\\zqdownload.dll").c_str())) {
    if (module_) {
        function_ = LibraryFunction<DownloadPackageFn>(module_.Get(), "DownloadPackage");
    }
}

int DownloadModule::Download(const wchar_t* document) const {
    return function_(0, 0, 13, document, 0, 0);
}

}  // namespace zqd_test
