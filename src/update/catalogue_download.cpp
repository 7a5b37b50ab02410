#include "update/catalogue_download.h"

#include <windows.h>

#include "log/debug_log.h"
#include "plugin/plugin_id.h"
#include "support/module_path.h"
#include "text/decimal_text.h"
#include "win32/library_function.h"
#include "xml/xml_escape.h"

namespace {

// The download module keeps the request in fixed buffers: 1,024 units for the
// whole document and 260 for each <url> element, terminators included.
const size_t kDocumentLimit = 1023;
const size_t kUrlElementLimit = MAX_PATH - 1;
const size_t kUrlTags = 11;  // <url></url>

}  // namespace

std::optional<std::wstring> DownloadRequestDocument(const DownloadRequestFields& fields, const wchar_t* what,
                                                    std::wstring* problem) {
    std::wstring document = L"<InsideParam filepath=\"" + XmlEscape(fields.filePath) + L"\" text=\"" +
                            XmlEscape(fields.text) + L"\" MD5=\"" + XmlEscape(fields.md5) + L"\" action=\"0\"";
    if (fields.timeLimitMs) document += L" timeLimit=\"" + std::to_wstring(*fields.timeLimitMs) + L"\"";
    document += L">";
    for (const std::wstring& url : fields.urls) {
        const std::wstring element = L"<url>" + XmlEscape(url) + L"</url>";
        if (element.size() > kUrlElementLimit) {
            if (problem) {
                *problem = std::wstring(L"the ") + what + L" address is " + GroupedNumber(element.size() - kUrlTags) +
                           L" characters long as sent, and the download module takes at most " +
                           GroupedNumber(kUrlElementLimit - kUrlTags);
            }
            return std::nullopt;
        }
        document += element;
    }
    document += L"</InsideParam>";
    if (document.size() > kDocumentLimit) {
        if (problem) {
            *problem = std::wstring(L"the request for the ") + what + L" download would be " +
                       GroupedNumber(document.size()) + L" characters long, and the download module takes at most " +
                       GroupedNumber(kDocumentLimit);
        }
        return std::nullopt;
    }
    return document;
}

bool BuildDownloadRequest(const std::vector<std::wstring>& urls, const std::wstring& filePath, const std::wstring& md5,
                          const std::wstring& text, std::wstring& document) {
    const std::optional<std::wstring> built = DownloadRequestDocument({urls, filePath, md5, text, std::nullopt});
    document = built.value_or(std::wstring());
    return built.has_value();
}

int32_t DownloadModule::Request(const DownloadRequestFields& fields, int32_t passHostValue, uint32_t hostValue) {
    if (!m_library) {
        std::wstring libraryPath = ModuleFolder();
        if (JoinPath(libraryPath, L"zqdownload.dll")) m_library.Reset(LoadLibraryW(libraryPath.c_str()));
        if (!m_library) {
            CMLog::GetInstance().Log(L"zqdownload.dll 加载失败");
            return 0;
        }
        m_downloadPackage = LibraryFunction<DownloadPackageFn>(m_library.Get(), "DownloadPackage");
    }
    if (!m_downloadPackage) return 0;
    const std::optional<std::wstring> document = DownloadRequestDocument(fields);
    if (!document) {
        CMLog::GetInstance().Log(L"download request refused: address or document too long");
        return 0;
    }
    return m_downloadPackage(0, passHostValue ? static_cast<int>(hostValue) : 0, PLUGIN_ID, document->c_str(), 0, 0);
}

int32_t RequestDownload(const std::vector<std::wstring>& urls, const std::wstring& filePath, const std::wstring& md5,
                        const std::wstring& text, int32_t passHostValue, uint32_t hostValue) {
    DownloadModule downloader;
    return downloader.Request({urls, filePath, md5, text, std::nullopt}, passHostValue, hostValue);
}

int32_t DownloadCatalogue(const CatalogueDownloadPlan& plan, uint32_t hostParam) {
    const int32_t result = RequestDownload({plan.address}, plan.catalogue, L"", L"", 0, hostParam);
    CMLog::GetInstance().Log(result ? L"SMBPlugins.xml下载成功" : L"SMBPlugins.xml下载失败");
    return result ? 1 : 0;
}
