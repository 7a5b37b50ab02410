#include "plugin/plugin_id.h"
#include "plugin/plugin_object.h"
#include "log/debug_log.h"
#include "support/module_path.h"
#include "xml/xml_document.h"
#include "xml/xml_escape.h"

namespace {

// Limits of one item text and of one filled item, in characters.
const size_t kItemLimit = 511;
const size_t kFilledItemLimit = 2047;

// The template texts are inserted escaped, so an item is always well-formed
// XML whatever the template holds; "%s" and "%%" survive escaping untouched.
std::wstring FormatItem(CXmlNodeWrapper& issue) {
    const uint32_t value = issue.GetAttributeUInt(L"value", 0);
    const uint32_t level = issue.GetAttributeUInt(L"level", 0);
    return L"<Item id=\"" + std::to_wstring(PLUGIN_ID) + L"\" value=\"" + std::to_wstring(value) + L"\" level=\"" +
           std::to_wstring(level) + L"\" score=\"" + XmlEscape(AttributeText(issue, L"score")) + L"\" icon=\"" +
           XmlEscape(AttributeText(issue, L"icon")) + L"\" buttontext=\"" +
           XmlEscape(AttributeText(issue, L"buttontext")) + L"\" title=\"" + XmlEscape(AttributeText(issue, L"title")) +
           L"\" msg=\"" + XmlEscape(AttributeText(issue, L"msg")) + L"\"/>";
}

// Fills an item text: every "%s" takes the name, "%%" gives one "%", and any
// other "%" sequence is copied as it stands (a template cannot make the
// formatter read arguments that are not there).
std::wstring FillItem(const std::wstring& item, const std::wstring& name) {
    std::wstring filled;
    for (size_t i = 0; i < item.size(); ++i) {
        if (item[i] == L'%' && i + 1 < item.size() && (item[i + 1] == L's' || item[i + 1] == L'%')) {
            filled += item[i + 1] == L's' ? name : L"%";
            ++i;
        } else {
            filled += item[i];
        }
    }
    return filled;
}

void ReadIssues(CXmlNodeWrapper& report, std::map<uint32_t, std::wstring>& items) {
    CXmlNodeListWrapper(report.SelectNodes(L"issue")).ForEach([&items](CXmlNodeWrapper& issue) {
        std::wstring item = FormatItem(issue);
        const uint32_t value = issue.GetAttributeUInt(L"value", 0);
        // A cut item would no longer be well-formed: it is dropped instead.
        if (item.size() > kItemLimit) {
            CMLog::GetInstance().Log(L"report item dropped, longer than 511 characters: value=%u", value);
            return;
        }
        items[value] = item;
    });
}

}  // namespace

int32_t CPluginObject::LoadReportTemplate() {
    std::wstring path = ModuleFolder();
    if (!JoinPath(path, L"config\\reporttempl.xml")) {
        m_reportItems.clear();
        return 0;
    }
    return LoadReportTemplateFile(path);
}

int32_t CPluginObject::LoadReportTemplateFile(const std::wstring& path) {
    m_reportItems.clear();
    CXmlDocHolder document;
    if (!document.Load(path.c_str())) return 0;
    CXmlNodeWrapper root(document.GetRootNode());
    CXmlNodeListWrapper(root.SelectNodes(L"plug")).ForEach([this](CXmlNodeWrapper& plug) {
        if (plug.GetAttributeUInt(L"id", 0) != static_cast<uint32_t>(PLUGIN_ID)) return true;
        CXmlNodeWrapper report(plug.SelectSingleNode(L"report"));
        ReadIssues(report, m_reportItems);
        return false;  // only the first plug of this plug-in counts
    });
    return 1;
}

void CPluginObject::AppendReportItem(uint32_t key, std::wstring name) {
    const std::wstring filled = FillItem(m_reportItems[key], XmlEscape(name));
    if (filled.size() > kFilledItemLimit) {
        CMLog::GetInstance().Log(L"report item dropped, longer than 2047 characters: %s", name.c_str());
        return;
    }
    m_reportText += filled;
}
