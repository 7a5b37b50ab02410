#include "explain/explanation_json.h"

#include <cwchar>

#include "explain/explanation_words.h"

namespace {

// Members of one JSON object, joined with commas as they are added.
class JsonObject {
public:
    JsonObject& Raw(const wchar_t* key, const std::wstring& json) {
        m_text += (m_text.empty() ? L"{" : L",") + JsonString(key) + L":" + json;
        return *this;
    }
    JsonObject& Text(const wchar_t* key, const std::wstring& value) { return Raw(key, JsonString(value)); }
    JsonObject& Number(const wchar_t* key, long long value) { return Raw(key, std::to_wstring(value)); }
    JsonObject& Flag(const wchar_t* key, bool value) { return Raw(key, value ? L"true" : L"false"); }
    std::wstring Done() const { return (m_text.empty() ? L"{" : m_text) + L"}"; }

private:
    std::wstring m_text;
};

template <typename Item, typename Render>
std::wstring JsonArray(const std::vector<Item>& items, Render render) {
    std::wstring text = L"[";
    for (const Item& item : items) text += (text.size() > 1 ? L"," : L"") + render(item);
    return text + L"]";
}

std::wstring PathStepJson(const PathStep& step) {
    JsonObject object;
    object.Text(L"path", step.path);
    if (step.tooLong) return object.Text(L"join", step.binary).Flag(L"tooLong", true).Done();
    const wchar_t* question = step.question == PathQuestion::kIsFolder ? L"isFolder" : L"exists";
    object.Text(L"question", question).Flag(L"answer", step.answer);
    if (step.redirectionOff) object.Flag(L"redirectionOff", true);
    return object.Done();
}

void AddRegistry(JsonObject& object, const MethodExplanation& method, bool wow64) {
    const auto& params = method.method.params;
    object.Text(L"rootKey", params[kParamRootKey])
        .Text(L"root", RootName(method.root))
        .Text(L"subKey", params[kParamSubKey])
        .Text(L"value", params[kParamValue])
        .Text(L"binary", params[kParamBinary])
        .Text(L"view", ViewName(method, wow64));
    if (!method.registryRead) return;
    JsonObject read;
    read.Text(L"outcome", OutcomeName(method)).Number(L"status", method.status);
    const bool textRead =
        method.outcome == RegistryReadOutcome::kRead || method.outcome == RegistryReadOutcome::kExpansionTooLong;
    if (textRead) read.Text(L"text", method.text);
    if (textRead && method.expandable) read.Text(L"type", L"REG_EXPAND_SZ");
    if (method.outcome == RegistryReadOutcome::kRead && method.expandable) read.Text(L"expanded", method.expanded);
    object.Raw(L"read", read.Done()).Raw(L"paths", JsonArray(method.paths, PathStepJson));
}

void AddProcess(JsonObject& object, const MethodExplanation& method) {
    object.Text(L"process", method.method.params[kParamProcess]);
    if (method.processListTaken) object.Number(L"processListSize", static_cast<long long>(method.processCount));
    if (method.processLookedUp) object.Flag(L"running", method.running);
    if (method.running) object.Number(L"processId", method.processId);
    if (method.processPathRead) object.Text(L"processPath", method.processPath);
}

std::wstring MethodJson(const MethodExplanation& method, bool wow64) {
    JsonObject object;
    object.Number(L"method", static_cast<long long>(method.index + 1)).Text(L"kind", MethodKindName(method.method));
    if (method.method.methodType == kMethodRegistryFile) AddRegistry(object, method, wow64);
    if (method.method.methodType == kMethodProcess) AddProcess(object, method);
    object.Flag(L"found", method.found);
    if (method.found) object.Text(L"foundPath", method.foundPath).Number(L"binaryType", method.binaryType);
    return object.Done();
}

std::wstring ProductJson(const ProductExplanation& product, bool wow64) {
    JsonObject object;
    object.Number(L"group", product.group)
        .Text(L"guid", product.guid)
        .Text(L"name", product.name)
        .Flag(L"installed", product.installed)
        .Raw(L"decidedBy", product.decidedBy < 0 ? L"null" : std::to_wstring(product.decidedBy + 1))
        .Number(L"methodCount", static_cast<long long>(product.methodCount))
        .Raw(L"methods", JsonArray(product.methods, [wow64](const MethodExplanation& method) {
                 return MethodJson(method, wow64);
             }));
    return object.Done();
}

}  // namespace

std::wstring JsonString(const std::wstring& text) {
    std::wstring out = L"\"";
    for (const wchar_t c : text) {
        if (c == L'"' || c == L'\\') {
            out += L'\\';
            out += c;
        } else if (c < 0x20) {
            wchar_t escaped[8];
            swprintf(escaped, 8, L"\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + L"\"";
}

static std::wstring DownloadJson(const std::optional<DownloadExplanation>& download) {
    if (!download) return L"null";
    JsonObject object;
    object.Text(L"address", download->address).Flag(L"signed", download->signedDownload);
    if (download->problem.empty()) return object.Raw(L"problem", L"null").Done();
    return object.Text(L"problem", download->problem).Done();
}

std::wstring ExplanationJson(const Explanation& explanation) {
    const bool wow64 = explanation.wow64;
    JsonObject object;
    object.Text(L"catalogue", explanation.cataloguePath)
        .Raw(L"download", DownloadJson(explanation.download))
        .Flag(L"wow64", wow64)
        .Number(L"productCount", static_cast<long long>(explanation.products.size()))
        .Number(L"installedCount", static_cast<long long>(explanation.InstalledCount()))
        .Raw(L"products", JsonArray(explanation.products, [wow64](const ProductExplanation& product) {
                 return ProductJson(product, wow64);
             }));
    return object.Done() + L"\r\n";
}
