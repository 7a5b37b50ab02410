#include "signature/catalogue_key.h"

#include "support/module_path.h"
#include "win32/file_bytes.h"

std::wstring CatalogueKeyPathIn(std::wstring moduleFolder) {
    if (!JoinPath(moduleFolder, L"ProductCfg") || !JoinPath(moduleFolder, L"catalogue-key.pem")) return std::wstring();
    return moduleFolder;
}

std::wstring CatalogueKeyPath() {
    const std::wstring path = CatalogueKeyPathIn(ModuleFolder());
    return path.empty() || FileIsMissing(path) ? std::wstring() : path;
}
