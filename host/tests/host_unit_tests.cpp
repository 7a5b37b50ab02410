// Unit tests of the host's parts: command line, request text, UTF-8 output,
// reading the module's texts and laying them out.
#include <gtest/gtest.h>

#include "request/callback_sink.h"
#include "request/delivery_view.h"
#include "host_options.h"
#include "request/report_list.h"
#include "request/response_table.h"
#include "utf8_output.h"

namespace {

bool Parse(std::vector<const wchar_t*> args, HostOptions& options, std::wstring& error) {
    args.insert(args.begin(), L"wareseek-host");
    return ParseOptions(static_cast<int>(args.size()), args.data(), options, error);
}

bool Contains(const std::vector<std::wstring>& lines, const std::wstring& text) {
    for (const std::wstring& line : lines) {
        if (line.find(text) != std::wstring::npos) return true;
    }
    return false;
}

class XmlTest : public testing::Test {
    ComApartment m_com;
};

TEST(HostOptions, DefaultsBuildTheStandardQuery) {
    HostOptions options;
    std::wstring error;
    ASSERT_TRUE(Parse({}, options, error));
    EXPECT_EQ(RequestText(options), L"<Request id=\"1\" cmd=\"QUERY\" Param=\"0\" version=\"1.0\"/>");
    EXPECT_EQ(options.repeat, 1u);
    EXPECT_TRUE(options.modulePath.empty());
    EXPECT_FALSE(options.raw || options.help);
}

TEST(HostOptions, ValuesAreEscapedIntoTheRequest) {
    HostOptions options;
    std::wstring error;
    ASSERT_TRUE(Parse({L"--cmd", L"a\"b<&>", L"--param", L"1", L"--id", L"7", L"--version", L"2", L"--repeat", L"3",
                       L"--raw", L"--module", L"C:\\x\\m.dll"},
                      options, error));
    EXPECT_EQ(RequestText(options), L"<Request id=\"7\" cmd=\"a&quot;b&lt;&amp;&gt;\" Param=\"1\" version=\"2\"/>");
    EXPECT_EQ(options.repeat, 3u);
    EXPECT_TRUE(options.raw);
    EXPECT_EQ(options.modulePath, L"C:\\x\\m.dll");
}

TEST(HostOptions, RawRequestIsSentVerbatim) {
    HostOptions options;
    std::wstring error;
    ASSERT_TRUE(Parse({L"--cmd", L"X", L"--request", L"not <xml"}, options, error));
    EXPECT_EQ(RequestText(options), L"not <xml");
}

TEST(HostOptions, BadCommandLinesAreRefusedWithAMessage) {
    const std::vector<std::vector<const wchar_t*>> bad = {{L"--bogus"},
                                                          {L"--cmd"},
                                                          {L"--repeat", L"0"},
                                                          {L"--repeat", L"-1"},
                                                          {L"--repeat", L"3x"},
                                                          {L"--repeat", L""},
                                                          {L"--repeat", L"99999999999999999999"},
                                                          {L"--explain", L"--scan"},
                                                          {L"--check", L"a.xml", L"--explain"},
                                                          {L"--json"},
                                                          {L"--scan", L"--catalogue", L"a.xml"},
                                                          {L"--check"}};
    for (const auto& args : bad) {
        HostOptions options;
        std::wstring error;
        EXPECT_FALSE(Parse(args, options, error)) << args[0];
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(error.find(L'\n'), std::wstring::npos);
    }
}

TEST(HostOptions, ToolModesTakeTheirOwnOptions) {
    HostOptions options;
    std::wstring error;
    ASSERT_TRUE(Parse({L"--json", L"--catalogue", L"c.xml", L"--explain"}, options, error)) << ToUtf8(error);
    EXPECT_TRUE(options.mode == HostMode::kExplain && options.json);
    EXPECT_EQ(options.cataloguePath, L"c.xml");
    ASSERT_TRUE(Parse({L"--check", L"d.xml"}, options = HostOptions(), error));
    EXPECT_TRUE(options.mode == HostMode::kCheck && options.checkPath == L"d.xml");
}

TEST(Utf8Output, ConvertsChineseAndPairsAndRepairsLoneSurrogates) {
    EXPECT_EQ(ToUtf8(L"a\u5B89"), "a\xE5\xAE\x89");
    EXPECT_EQ(ToUtf8(L"\xD83D\xDE00"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(ToUtf8(std::wstring(1, wchar_t(0xD800)) + L"x"), "\xEF\xBF\xBDx");
    EXPECT_EQ(ToUtf8(L""), "");
}

TEST(ProductTable, ColumnsLineUpWithWideNames) {
    EXPECT_EQ(DisplayWidth(L"ab"), 2u);
    EXPECT_EQ(DisplayWidth(L"\u5B89\u5168x"), 5u);
    EXPECT_EQ(DisplayWidth(L"\xD83D\xDE00"), 2u);

    const std::vector<ProductRow> rows = {{L"0", L"{G1}", L"\u5B89\u5168", false},
                                          {L"12", L"{LONGER-GUID}", L"Tool", true}};
    const std::vector<std::wstring> lines = FormatProductTable(rows);
    ASSERT_EQ(lines.size(), 4u);
    // Each line's name starts at the same console column.
    const size_t nameColumn = lines[0].find(L"Name");
    for (size_t i = 1; i < 3; ++i) {
        const std::wstring& name = rows[i - 1].name;
        EXPECT_EQ(DisplayWidth(lines[i].substr(0, lines[i].find(name))), nameColumn) << i;
    }
    EXPECT_EQ(lines[1].substr(0, 18), L"0      no         ");
    EXPECT_EQ(lines[2].substr(0, 18), L"12     yes        ");
    EXPECT_EQ(lines[3], L"2 products, 1 installed");
}

TEST(ProductTable, EmptyAndSingleCounts) {
    EXPECT_EQ(FormatProductTable({}), std::vector<std::wstring>{L"0 products, 0 installed"});
    EXPECT_EQ(FormatProductTable({{L"2", L"{G}", L"N", true}}).back(), L"1 product, 1 installed");
}

TEST_F(XmlTest, ReadsProductsOfAResponse) {
    std::vector<ProductRow> rows;
    ASSERT_EQ(ReadProducts(L"<Response id=\"1\" cmd=\"QUERY\" version=\"1.0\" state=\"0\"><Result>"
                           L"<Item itemName=\"A &amp; B\" itemGUID=\"{1}\" isInstalled=\"1\" itemType=\"0\"/>"
                           L"<Item itemName=\"\u5B89\" itemGUID=\"{2}\" isInstalled=\"0\" itemType=\"2\"/>"
                           L"</Result></Response>",
                           rows),
              XmlResult::Ok);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].name, L"A & B");
    EXPECT_EQ(rows[0].guid, L"{1}");
    EXPECT_TRUE(rows[0].installed);
    EXPECT_EQ(rows[0].group, L"0");
    EXPECT_EQ(rows[1].name, L"\u5B89");
    EXPECT_FALSE(rows[1].installed);
    EXPECT_EQ(rows[1].group, L"2");
}

TEST_F(XmlTest, ResponseWithoutResultOrNotAResponse) {
    std::vector<ProductRow> rows{{L"0", L"{stale}", L"x", false}};
    EXPECT_EQ(ReadProducts(L"<Response id=\"1\" state=\"0\"/>", rows), XmlResult::Ok);
    EXPECT_TRUE(rows.empty());
    EXPECT_EQ(ReadProducts(L"", rows), XmlResult::NotXml);
    EXPECT_EQ(ReadProducts(L"<Response>", rows), XmlResult::NotXml);
    EXPECT_EQ(ReadProducts(L"<Other><Result><Item/></Result></Other>", rows), XmlResult::NotXml);
}

TEST_F(XmlTest, ReadsAReportRun) {
    std::vector<ReportEntry> entries;
    ASSERT_EQ(ReadReport(L"", entries), XmlResult::Ok);
    EXPECT_TRUE(entries.empty());
    ASSERT_EQ(ReadReport(L"<Item id=\"13\" title=\"T1\" msg=\"M &lt;1&gt;\"/><Item id=\"13\" title=\"\" msg=\"M2\"/>",
                         entries),
              XmlResult::Ok);
    EXPECT_EQ(FormatReport(entries), (std::vector<std::wstring>{L"T1: M <1>", L"M2"}));
    EXPECT_EQ(ReadReport(L"<Item", entries), XmlResult::NotXml);
}

TEST_F(XmlTest, DescribesDeliveries) {
    Delivery none;
    none.status = 1;
    none.pluginId = 13;
    EXPECT_EQ(DescribeDelivery(none, 2, false),
              std::vector<std::wstring>{L"Request 2: status 1 (no response: not QUERY, or none produced)"});

    Delivery broken;
    broken.pluginId = 12;
    broken.response = L"<Response";
    broken.report = L"<Item title=\"T\" msg=\"M\"/>";
    const std::vector<std::wstring> lines = DescribeDelivery(broken, 1, true);
    EXPECT_EQ(lines[0], L"Request 1: status 0 (response)");
    EXPECT_TRUE(Contains(lines, L"plug-in 12, not 13"));
    EXPECT_TRUE(Contains(lines, L"response is not readable XML"));
    EXPECT_TRUE(Contains(lines, L"- T: M"));
    EXPECT_TRUE(Contains(lines, L"Raw response: <Response"));
}

TEST(CallbackSink, KeepsDeliveriesOfItsOwnContextOnly) {
    CallbackSink sink;
    HostCallback callback = CallbackSink::Callback();
    callback(13, 0, L"<Response/>", nullptr, sink.Context());
    HostContext foreign = {0, 0};
    callback(13, 0, L"x", L"y", &foreign);
    callback(13, 0, L"x", L"y", nullptr);

    const std::vector<Delivery> deliveries = sink.Take();
    ASSERT_EQ(deliveries.size(), 1u);
    EXPECT_EQ(deliveries[0].response, L"<Response/>");
    EXPECT_TRUE(deliveries[0].reportNull);
    EXPECT_EQ(StrayCallbackCount(), 2u);
    EXPECT_TRUE(sink.Take().empty());
}

}  // namespace
