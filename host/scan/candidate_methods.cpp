#include "scan/candidate_methods.h"

#include <cwchar>

#include "scan/main_executable.h"
#include "scan/path_text.h"
#include "text/path_parts.h"

namespace {

DetectMethod RegistryFileMethod(const UninstallSource& source, const std::wstring& subKey, const wchar_t* value,
                                const std::wstring& binary) {
    DetectMethod method;
    method.methodType = kMethodRegistryFile;
    method.params[kParamRootKey] = source.rootText;
    method.params[kParamSubKey] = subKey;
    method.params[kParamValue] = value;
    method.params[kParamBinary] = binary;
    method.params[kParamBinaryType] = HasExtension(binary, L".dll") ? L"1" : L"0";
    method.params[kParamBinaryEnvironment] = source.environment;
    return method;
}

// An App Paths entry of the main executable's name may be another
// program's ("setup.exe"): it counts when it names the main executable itself
// or a file in the install folder.
bool BelongsToProgram(const std::wstring& listedPath, const std::wstring& main, const std::wstring& folder) {
    return !listedPath.empty() && (_wcsicmp(listedPath.c_str(), main.c_str()) == 0 || LiesIn(listedPath, folder));
}

}  // namespace

std::vector<DetectMethod> CandidateMethods(const InstalledProgram& program, AppPathsIndex& appPaths) {
    std::vector<DetectMethod> methods;
    const UninstallSource& source = program.source;
    const std::wstring entryKey = std::wstring(kUninstallKey) + L"\\" + program.keyName;
    const std::wstring main = MainExecutable(program, appPaths);
    const std::wstring mainName = FileNameOf(main);
    const std::wstring folder = CleanFolder(program.installLocation);
    if (!main.empty() && !folder.empty()) {
        methods.push_back(RegistryFileMethod(source, entryKey, L"InstallLocation", BinaryWithin(folder, main)));
    }
    if (!mainName.empty() && BelongsToProgram(appPaths.PathFor(mainName), main, folder)) {
        methods.push_back(RegistryFileMethod(source, std::wstring(kAppPathsKey) + L"\\" + mainName, L"", mainName));
    }
    // An icon text with an index still works: the probe looks for the binary
    // beside the missing "file.exe,0".
    const std::wstring iconName = FileNameOf(IconFilePath(program.displayIcon));
    if (HasExtension(iconName, L".exe") || HasExtension(iconName, L".dll")) {
        methods.push_back(RegistryFileMethod(source, entryKey, L"DisplayIcon", iconName));
    }
    return methods;
}
