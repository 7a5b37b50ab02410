#include "robust_case.h"

#include <sstream>

#include "test_files.h"

namespace {

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (unsigned char byte : bytes) {
        text += digits[byte >> 4];
        text += digits[byte & 15];
    }
    return text.empty() ? "-" : text;
}

std::string Unhex(const std::string& text) {
    std::string bytes;
    for (size_t i = 0; i + 1 < text.size(); i += 2) bytes += static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16));
    return bytes;
}

std::string WideBytes(const std::wstring& text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

std::wstring BytesWide(const std::string& bytes) {
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
}

void SaveFile(const CaseFile& file, const std::wstring& path) {
    if (file.shape == FileShape::Bytes) WriteBytes(path, file.bytes);
    if (file.shape == FileShape::Folder) WriteBytes(path + L".folder", "");
    if (file.shape == FileShape::Absent) WriteBytes(path + L".absent", "");
    if (file.locked) WriteBytes(path + L".locked", "");
}

CaseFile LoadFile(const std::wstring& path) {
    CaseFile file;
    if (FileExists(path + L".folder")) file.shape = FileShape::Folder;
    else if (FileExists(path + L".absent")) file.shape = FileShape::Absent;
    else file.bytes = ReadBytes(path);
    file.locked = FileExists(path + L".locked");
    return file;
}

}  // namespace

void SaveCase(const RobustCase& robustCase, const std::wstring& folder) {
    CreateFolders(folder);
    SaveFile(robustCase.catalogue, folder + L"\\catalogue.xml");
    SaveFile(robustCase.reportTemplate, folder + L"\\reporttempl.xml");
    std::ostringstream requests, values, products;
    for (const std::wstring& request : robustCase.requests) requests << Hex(WideBytes(request)) << '\n';
    for (const CaseRegValue& value : robustCase.values)
        values << value.type << ' ' << Hex(WideBytes(value.name)) << ' ' << Hex(value.data) << '\n';
    products << (robustCase.namesKnown ? "known" : "unknown") << '\n';
    for (const KnownProduct& product : robustCase.products)
        products << Hex(WideBytes(product.guid)) << ' ' << Hex(WideBytes(product.name)) << '\n';
    WriteBytes(folder + L"\\requests.hex", requests.str());
    WriteBytes(folder + L"\\registry.hex", values.str());
    WriteBytes(folder + L"\\products.hex", products.str());
    WriteBytes(folder + L"\\options.txt", robustCase.registerTwice ? "registerTwice\n" : "");
}

bool LoadCase(const std::wstring& folder, RobustCase& robustCase) {
    if (!FileExists(folder + L"\\requests.hex")) return false;
    robustCase = RobustCase();
    robustCase.catalogue = LoadFile(folder + L"\\catalogue.xml");
    robustCase.reportTemplate = LoadFile(folder + L"\\reporttempl.xml");
    robustCase.registerTwice = ReadBytes(folder + L"\\options.txt").find("registerTwice") != std::string::npos;
    std::istringstream requests(ReadBytes(folder + L"\\requests.hex"));
    for (std::string line; requests >> line;) robustCase.requests.push_back(BytesWide(Unhex(line)));
    std::istringstream values(ReadBytes(folder + L"\\registry.hex"));
    CaseRegValue value;
    for (std::string name, data; values >> value.type >> name >> data;) {
        value.name = BytesWide(Unhex(name));
        value.data = Unhex(data);
        robustCase.values.push_back(value);
    }
    std::istringstream products(ReadBytes(folder + L"\\products.hex"));
    std::string known;
    products >> known;
    robustCase.namesKnown = known == "known";
    for (std::string guid, name; products >> guid >> name;)
        robustCase.products.push_back({BytesWide(Unhex(guid)), BytesWide(Unhex(name))});
    return true;
}
