#include "signature/catalogue_key.h"

#include "support/module_path.h"
#include "win32/file_bytes.h"

const wchar_t* CatalogueKeyFileName() {
    return L"catalogue-key.pem";
}

std::wstring CatalogueKeyPath() {
    std::wstring path = ModuleFolder();
    if (!JoinPath(path, L"ProductCfg") || !JoinPath(path, CatalogueKeyFileName())) return std::wstring();
    return FileIsMissing(path) ? std::wstring() : path;
}
