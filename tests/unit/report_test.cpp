// The report template and the report items appended while building responses.
#include <gtest/gtest.h>

#include <vector>

#include "plugin/plugin_object.h"
#include "xml/xml_document.h"
#include "test_files.h"

namespace {

// A plug-in object whose template comes from a test file. The object ends
// only through Release, so the fixture owns it that way.
class Report : public ::testing::Test {
protected:
    Report() : m_object(new CPluginObject()) {}
    ~Report() override { m_object->Release(); }

    void Template(const std::wstring& body) {
        const std::wstring path = m_folder.Sub(L"reporttempl.xml");
        WriteUtf8File(path, body);
        ASSERT_EQ(1, m_object->LoadReportTemplateFile(path));
    }
    std::wstring Response() {
        std::wstring response;
        EXPECT_TRUE(m_object->BuildResponse(L"1", L"v", response));
        return response;
    }
    void Add(uint32_t group, const wchar_t* guid, const wchar_t* name, int32_t installed = 0) {
        ProductRecord record;
        record.guid = guid;
        record.name = name;
        record.installed = installed;
        m_object->Products().AddProduct(group, record);
    }

    TempFolder m_folder;
    CPluginObject* m_object;
};

TEST_F(Report, OnlyTheFirstPlugWithOurIdCounts) {
    Template(
        L"<root><plug id='12'><report><issue value='0' title='twelve'/></report></plug>"
        L"<plug id='13'><report><issue value='0' title='first'/></report></plug>"
        L"<plug id='13'><report><issue value='0' title='second'/></report></plug></root>");
    ASSERT_EQ(1u, m_object->ReportItems().count(0));
    EXPECT_NE(std::wstring::npos, m_object->ReportItems().at(0).find(L"title=\"first\""));
}

TEST_F(Report, LaterIssueWithTheSameValueWinsAndDefaultsAreZero) {
    Template(L"<r><plug id='13'><report><issue title='a'/><issue title='b' score='9'/></report></plug></r>");
    EXPECT_EQ(L"<Item id=\"13\" value=\"0\" level=\"0\" score=\"9\" icon=\"\" buttontext=\"\" title=\"b\" msg=\"\"/>",
              m_object->ReportItems().at(0));
}

TEST_F(Report, MissingTemplateOrPlugLeavesNoItems) {
    EXPECT_EQ(0, m_object->LoadReportTemplateFile(m_folder.Sub(L"absent.xml")));
    EXPECT_TRUE(m_object->ReportItems().empty());
    Template(L"<r><plug id='13'/></r>");
    EXPECT_TRUE(m_object->ReportItems().empty());
}

TEST_F(Report, MissingProductsOfGroupsZeroAndOneAddFilledItemsInOrder) {
    Template(L"<r><plug id='13'><report><issue value='0' title='Install %s' msg='100%% free'/></report></plug></r>");
    Add(0, L"c", L"Gamma");
    Add(0, L"a", L"Alpha");
    Add(0, L"b", L"Beta");
    Add(1, L"d", L"Installed", 1);
    Add(2, L"e", L"Group two");
    Response();
    const std::wstring& text = m_object->ReportText();
    const size_t alpha = text.find(L"title=\"Install Alpha\"");
    const size_t beta = text.find(L"title=\"Install Beta\"");
    const size_t gamma = text.find(L"title=\"Install Gamma\"");
    ASSERT_NE(std::wstring::npos, alpha);
    EXPECT_LT(alpha, beta);
    EXPECT_LT(beta, gamma);
    EXPECT_EQ(std::wstring::npos, text.find(L"Installed"));
    EXPECT_EQ(std::wstring::npos, text.find(L"Group two"));
    EXPECT_NE(std::wstring::npos, text.find(L"msg=\"100% free\""));
    const std::wstring once = text;
    Response();
    EXPECT_EQ(once + once, m_object->ReportText()) << "the report grows with every request";
}

TEST_F(Report, NoIssueForKeyZeroKeepsTheReportEmpty) {
    Template(L"<r><plug id='13'><report><issue value='1' title='%s'/></report></plug></r>");
    Add(0, L"a", L"Alpha");
    Response();
    EXPECT_EQ(L"", m_object->ReportText());
}

TEST_F(Report, ItemsStayWellFormedWhateverTheTextsHold) {
    Template(
        L"<r><plug id='13'><report>"
        L"<issue value='0' title='Get &quot;%s&quot; &amp; more &lt;now&gt;' msg='%d %x %'/>"
        L"</report></plug></r>");
    Add(0, L"a", L"Tom & Jerry <\"1\"> 100%s");
    Response();
    CXmlDocHolder doc;
    ASSERT_TRUE(doc.LoadXml((L"<all>" + m_object->ReportText() + L"</all>").c_str())) << ToUtf8(m_object->ReportText());
    CXmlNodeWrapper root(doc.GetRootNode());
    CXmlNodeWrapper item(root.SelectSingleNode(L"Item"));
    EXPECT_EQ(L"Get \"Tom & Jerry <\"1\"> 100%s\" & more <now>", AttributeText(item, L"title"));
    EXPECT_EQ(L"%d %x %", AttributeText(item, L"msg"));
}

TEST_F(Report, OverlongItemsAreDroppedNotCut) {
    Template(L"<r><plug id='13'><report><issue value='0' title='%s'/></report></plug></r>");
    const size_t frame = m_object->ReportItems().at(0).size() - 2;  // the item without its "%s"
    const auto title = [frame](size_t itemLength) { return std::wstring(itemLength - frame, L't'); };
    Template(L"<r><plug id='13'><report><issue value='0' title='%s'/><issue value='1' title='" + title(600) +
             L"'/><issue value='2' title='" + title(511) + L"'/><issue value='3' title='" + title(512) +
             L"'/></report></plug></r>");
    EXPECT_EQ(0u, m_object->ReportItems().count(1));
    EXPECT_EQ(511u, m_object->ReportItems().at(2).size());
    EXPECT_EQ(0u, m_object->ReportItems().count(3));
    Add(0, L"a", std::wstring(2047 - frame, L'a').c_str());
    Add(0, L"b", std::wstring(2048 - frame, L'b').c_str());
    Add(0, L"c", std::wstring(2100, L'c').c_str());
    Response();
    EXPECT_EQ(2047u, m_object->ReportText().size()) << "only the filled item of 2047 characters is kept";
}

TEST_F(Report, EmptyCatalogueGivesAResponseWithoutResult) {
    const std::wstring response = Response();
    CXmlDocHolder doc;
    ASSERT_TRUE(doc.LoadXml(response.c_str()));
    CXmlNodeWrapper root(doc.GetRootNode());
    EXPECT_EQ(L"QUERY", AttributeText(root, L"cmd"));
    EXPECT_EQ(L"0", AttributeText(root, L"state"));
    CXmlNodeWrapper result(root.SelectSingleNode(L"Result"));
    EXPECT_FALSE(result.IsValid());
}

// While it lives, every free stretch of address space of a mebibyte or more
// is reserved: large allocations fail, small ones still find room.
class LargeAllocationsFail {
public:
    LargeAllocationsFail() {
        m_blocks.reserve(8192);
        for (SIZE_T size = 256u << 20; size >= (1u << 20); size /= 2) {
            while (m_blocks.size() < m_blocks.capacity()) {
                void* block = VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS);
                if (!block) break;
                m_blocks.push_back(block);
            }
        }
    }
    ~LargeAllocationsFail() {
        for (void* block : m_blocks) VirtualFree(block, 0, MEM_RELEASE);
    }
    LargeAllocationsFail(const LargeAllocationsFail&) = delete;
    LargeAllocationsFail& operator=(const LargeAllocationsFail&) = delete;

private:
    std::vector<void*> m_blocks;
};

TEST_F(Report, ResponseAbandonedForWantOfMemoryKeepsCatalogueAndReport) {
    Template(L"<r><plug id='13'><report><issue value='0' title='%s'/></report></plug></r>");
    Add(0, L"a", L"small");
    const std::wstring huge(2u << 20, L'h');  // its copies need fresh address space
    Add(0, L"b", huge.c_str());
    const std::wstring report = m_object->ReportText();
    const std::wstring query = L"<Request cmd='QUERY'/>";
    int result = 0;
    {
        LargeAllocationsFail exhausted;
        result = m_object->HandleRequest(query.c_str());
    }
    EXPECT_EQ(1, result);
    EXPECT_EQ(2, m_object->Products().GetProductCount()) << "the catalogue read before is kept";
    EXPECT_EQ(report, m_object->ReportText()) << "no item of the abandoned response stays";
}

}  // namespace
