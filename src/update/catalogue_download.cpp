#include "update/catalogue_download.h"

#include <windows.h>

#include "catalogue/catalogue_parser.h"
#include "plugin/plugin_id.h"
#include "log/debug_log.h"
#include "support/module_path.h"
#include "win32/win_owners.h"
#include "support/wow64.h"
#include "win32/library_function.h"
#include "xml/xml_escape.h"
#include "wareseek/download_api.h"

namespace {

// The download module keeps the request in fixed buffers: 1,024 units for the
// whole document and 260 for each <url> element, terminators included.
const size_t kDocumentLimit = 1023;
const size_t kUrlElementLimit = MAX_PATH - 1;

// Reads the catalogue address for this process. Addresses are never cut: a
// value too long for any sane buffer reads as not usable (false).
bool ReadCatalogueAddress(const std::wstring& iniPath, std::wstring& address) {
    wchar_t value[2048] = {};
    const wchar_t* key = g_bIsWow64 ? L"file64_url" : L"file32_url";
    DWORD length = GetPrivateProfileStringW(L"SMPPluginsCfg", key, L"", value, 2048, iniPath.c_str());
    if (length >= 2048 - 1) return false;
    address = value;
    return true;
}

// The detached signature, from the catalogue's address with ".sig" appended.
void FetchSignature(DownloadModule& downloader, const std::wstring& address, const std::wstring& signaturePath,
                    uint32_t hostParam) {
    if (!downloader.Request({address + L".sig"}, signaturePath, L"", L"", 0, hostParam)) {
        CMLog::GetInstance().Log(L"catalogue signature download failed");
    }
}

}  // namespace

bool BuildDownloadRequest(const std::vector<std::wstring>& urls, const std::wstring& filePath, const std::wstring& md5,
                          const std::wstring& text, std::wstring& document) {
    document = L"<InsideParam filepath=\"" + XmlEscape(filePath) + L"\" text=\"" + XmlEscape(text) + L"\" MD5=\"" +
               XmlEscape(md5) + L"\" action=\"0\">";
    for (const std::wstring& url : urls) {
        std::wstring element = L"<url>" + XmlEscape(url) + L"</url>";
        if (element.size() > kUrlElementLimit) {
            document.clear();
            return false;
        }
        document += element;
    }
    document += L"</InsideParam>";
    if (document.size() > kDocumentLimit) {
        document.clear();
        return false;
    }
    return true;
}

int32_t DownloadModule::Request(const std::vector<std::wstring>& urls, const std::wstring& filePath,
                                const std::wstring& md5, const std::wstring& text, int32_t passHostValue,
                                uint32_t hostValue) {
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
    std::wstring document;
    if (!BuildDownloadRequest(urls, filePath, md5, text, document)) {
        CMLog::GetInstance().Log(L"download request refused: address or document too long");
        return 0;
    }
    return m_downloadPackage(0, passHostValue ? static_cast<int>(hostValue) : 0, PLUGIN_ID, document.c_str(), 0, 0);
}

int32_t RequestDownload(const std::vector<std::wstring>& urls, const std::wstring& filePath, const std::wstring& md5,
                        const std::wstring& text, int32_t passHostValue, uint32_t hostValue) {
    DownloadModule downloader;
    return downloader.Request(urls, filePath, md5, text, passHostValue, hostValue);
}

int32_t DownloadCatalogue(uint32_t hostParam, const CatalogueDownloadFiles& files) {
    CMLog& log = CMLog::GetInstance();
    log.Log(L"开始下载SMBPlugins.xml");
    std::wstring folder = ModuleFolder();
    std::wstring iniPath;
    std::wstring target;
    std::wstring address;
    bool usable = JoinPath(folder, L"ProductCfg");
    if (usable) {
        iniPath = folder;
        target = folder;
        usable = JoinPath(iniPath, L"ProductCfg.ini") && JoinPath(target, CatalogueFileName()) &&
                 ReadCatalogueAddress(iniPath, address);
    }
    if (!files.catalogue.empty()) target = files.catalogue;
    DownloadModule downloader;
    if (usable && downloader.Request({address}, target, L"", L"", 0, hostParam)) {
        log.Log(L"SMBPlugins.xml下载成功");
        if (!files.signature.empty()) FetchSignature(downloader, address, files.signature, hostParam);
        return 1;
    }
    log.Log(L"SMBPlugins.xml下载失败");
    return 0;
}
