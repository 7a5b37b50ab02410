// The XML layer over MSXML: attribute readers, defaults, building and the
// serialise-and-reparse round trip.
#include <gtest/gtest.h>

#include <thread>

#include "win32/win_owners.h"
#include "xml/xml_document.h"
#include "xml/document_setup.h"
#include "xml/prolog_check.h"
#include "test_files.h"

namespace {

// Holds a parsed <e .../> document and its root for one test.
class XmlLayer : public ::testing::Test {
protected:
    void Parse(const wchar_t* xml) {
        ASSERT_TRUE(m_doc.LoadXml(xml));
        m_root = std::make_unique<CXmlNodeWrapper>(m_doc.GetRootNode());
        ASSERT_TRUE(m_root->IsValid());
    }
    CXmlNodeWrapper& Root() { return *m_root; }

    CXmlDocHolder m_doc;
    std::unique_ptr<CXmlNodeWrapper> m_root;
};

TEST_F(XmlLayer, BoolReaderAcceptsOnlyTrueAndOneInAnyCase) {
    Parse(L"<e a='true' b='TRUE' c='True' d='1' e='0' f='false' g='yes' h='' i='2'/>");
    for (const wchar_t* name : {L"a", L"b", L"c", L"d"}) EXPECT_EQ(1, Root().GetAttributeBool(name, 7)) << name;
    for (const wchar_t* name : {L"e", L"f", L"g", L"h", L"i"}) EXPECT_EQ(0, Root().GetAttributeBool(name, 7)) << name;
    EXPECT_EQ(7, Root().GetAttributeBool(L"absent", 7));
}

TEST_F(XmlLayer, UIntReaderFollowsDecimalRuntimeConversion) {
    Parse(L"<e a='42' b='  7' c='12abc' d='abc' e='' f='-1' g='99999999999' h='+5'/>");
    EXPECT_EQ(42u, Root().GetAttributeUInt(L"a", 9));
    EXPECT_EQ(7u, Root().GetAttributeUInt(L"b", 9));
    EXPECT_EQ(12u, Root().GetAttributeUInt(L"c", 9));
    EXPECT_EQ(0u, Root().GetAttributeUInt(L"d", 9));
    EXPECT_EQ(0u, Root().GetAttributeUInt(L"e", 9));
    EXPECT_EQ(4294967295u, Root().GetAttributeUInt(L"f", 9));
    EXPECT_EQ(4294967295u, Root().GetAttributeUInt(L"g", 9));
    EXPECT_EQ(5u, Root().GetAttributeUInt(L"h", 9));
    EXPECT_EQ(9u, Root().GetAttributeUInt(L"absent", 9));
}

TEST_F(XmlLayer, StringReaderTellsAbsentFromEmpty) {
    Parse(L"<e empty='' text='a &amp; b'/>");
    ComString out;
    EXPECT_FALSE(Root().GetAttributeString(L"absent", out, L"0"));
    EXPECT_EQ(L"0", out.Str());
    EXPECT_TRUE(Root().GetAttributeString(L"empty", out, L"0"));
    EXPECT_FALSE(out.IsNull());
    EXPECT_EQ(L"", out.Str());
    EXPECT_TRUE(Root().GetAttributeString(L"text", out, nullptr));
    EXPECT_EQ(L"a & b", out.Str());
    EXPECT_FALSE(Root().GetAttributeString(L"absent", out, nullptr));
    EXPECT_TRUE(out.IsNull());
}

TEST_F(XmlLayer, MissingNodesAndListsGiveEmptyResults) {
    Parse(L"<e><a/><a/></e>");
    CXmlNodeWrapper none(Root().SelectSingleNode(L"b"));
    EXPECT_FALSE(none.IsValid());
    ComString text;
    EXPECT_FALSE(none.GetText(text));
    EXPECT_FALSE(text.IsNull());
    EXPECT_EQ(L"", text.Str());
    EXPECT_EQ(3, none.GetAttributeBool(L"x", 3));
    EXPECT_EQ(nullptr, none.AppendChildElement(L"x"));

    CXmlNodeListWrapper noMatch(Root().SelectNodes(L"./b"));
    EXPECT_EQ(0, noMatch.GetCount());
    CXmlNodeListWrapper noList;
    EXPECT_EQ(0, noList.GetCount());
    EXPECT_EQ(nullptr, noList.GetNode(0));

    CXmlNodeListWrapper two(Root().SelectNodes(L"./a"));
    EXPECT_EQ(2, two.GetCount());
    CXmlNodeWrapper beyond(two.GetNode(2));
    EXPECT_FALSE(beyond.IsValid());
}

// The texts of a list's nodes, joined by "|".
std::wstring Texts(IXMLDOMNodeList* adopted) {
    CXmlNodeListWrapper list(adopted);
    std::wstring texts;
    for (int i = 0; i < list.GetCount(); ++i) {
        CXmlNodeWrapper node(list.GetNode(i));
        ComString text;
        node.GetText(text);
        texts += text.Str() + L"|";
    }
    return texts;
}

// Child names are looked up without the XPath engine: the answers must be the
// engine's, for namespaces, prefixes and nodes that are not elements too.
TEST_F(XmlLayer, ChildNamesSelectWhatXPathSelects) {
    Parse(L"<e xmlns:p='urn:p'><!--md5--><?md5 pi?><x:md5 xmlns:x='urn:x'>prefixed</x:md5>"
          L"<md5 xmlns='urn:d'>default</md5><p:md5>p</p:md5><md5x>longer</md5x><a><md5>nested</md5></a>"
          L"<md5>first</md5><md5>second</md5><Md5>case</Md5><b xmlns='urn:d'><c>in default</c></b></e>");
    ComPtr<IXMLDOMElement> element;
    ASSERT_TRUE(SUCCEEDED(CXmlNodeWrapper(m_doc.GetRootNode()).SelectSingleNode(L".")->QueryInterface(
        IID_IXMLDOMElement, reinterpret_cast<void**>(element.Receive()))));
    for (const wchar_t* path : {L"md5", L"./md5", L"Md5", L"b", L"./c", L"absent"}) {
        ComString expression(path);
        IXMLDOMNodeList* byXPath = nullptr;
        element->selectNodes(expression.Get(), &byXPath);
        EXPECT_EQ(Texts(byXPath), Texts(Root().SelectNodes(path))) << ToUtf8(path);
        IXMLDOMNode* first = nullptr;
        element->selectSingleNode(expression.Get(), &first);
        CXmlNodeWrapper expected(first);
        CXmlNodeWrapper actual(Root().SelectSingleNode(path));
        EXPECT_EQ(AttributeText(expected, L"x", L"-") + (expected.IsValid() ? L"found" : L"none"),
                  AttributeText(actual, L"x", L"-") + (actual.IsValid() ? L"found" : L"none"))
            << ToUtf8(path);
        ComString expectedText, actualText;
        expected.GetText(expectedText);
        actual.GetText(actualText);
        EXPECT_EQ(expectedText.Str(), actualText.Str()) << ToUtf8(path);
    }
}

TEST_F(XmlLayer, ChildPathsSelectDirectChildrenOnly) {
    Parse(L"<e><a>one</a><x><a>nested</a></x><a>two</a></e>");
    CXmlNodeListWrapper list(Root().SelectNodes(L"./a"));
    ASSERT_EQ(2, list.GetCount());
    CXmlNodeWrapper second(list.GetNode(1));
    ComString text;
    EXPECT_TRUE(second.GetText(text));
    EXPECT_EQ(L"two", text.Str());
}

TEST(XmlLayerBuild, BuiltDocumentSerialisesAndReparses) {
    std::wstring xml;
    {
        CXmlDocHolder doc;
        ASSERT_TRUE(doc.LoadXml(L"<Response/>"));
        CXmlNodeWrapper root(doc.GetRootNode());
        ASSERT_TRUE(root.SetAttribute(L"id", L"a<b&\"c\""));
        CXmlNodeWrapper child(root.AppendChildElement(L"Result"));
        ASSERT_TRUE(child.IsValid());
        ASSERT_TRUE(child.SetAttribute(L"n", L"1"));
        ComString text;
        ASSERT_TRUE(doc.GetXml(text));
        xml = text.Str();
    }
    EXPECT_EQ(std::wstring::npos, xml.find(L"<?xml"));
    CXmlDocHolder again;
    ASSERT_TRUE(again.LoadXml(xml.c_str()));
    CXmlNodeWrapper root(again.GetRootNode());
    EXPECT_EQ(L"a<b&\"c\"", AttributeText(root, L"id"));
    CXmlNodeWrapper result(root.SelectSingleNode(L"Result"));
    EXPECT_EQ(1u, result.GetAttributeUInt(L"n", 0));
}

TEST(XmlLayerBuild, ElementTextReparsesAsItsOwnDocument) {
    CXmlDocHolder doc;
    ASSERT_TRUE(doc.LoadXml(L"<P><Detect><Method process='a&amp;b.exe'/></Detect></P>"));
    CXmlNodeWrapper root(doc.GetRootNode());
    CXmlNodeWrapper detect(root.SelectSingleNode(L"Detect"));
    ComString xml;
    ASSERT_TRUE(detect.GetXml(xml));
    CXmlDocHolder inner;  // opened while the first document is still alive
    ASSERT_TRUE(inner.LoadXml(xml.Get()));
    CXmlNodeWrapper innerRoot(inner.GetRootNode());
    CXmlNodeWrapper method(innerRoot.SelectSingleNode(L"Method"));
    EXPECT_EQ(L"a&b.exe", AttributeText(method, L"process"));
}

TEST(XmlLayerBuild, MalformedTextAndMissingFilesDoNotLoad) {
    CXmlDocHolder doc;
    EXPECT_FALSE(doc.LoadXml(L"<open>"));
    EXPECT_FALSE(doc.LoadXml(L"not xml"));
    EXPECT_FALSE(doc.LoadXml(nullptr));
    EXPECT_FALSE(doc.Load(L"C:\\no\\such\\file.xml"));
}

// A document's text in the byte form of one encoding, byte-order mark first.
std::string Encode(const std::wstring& text, const char* mark, size_t unitBytes, bool bigEndian) {
    std::string bytes = mark;
    for (wchar_t c : text) {
        for (size_t i = 0; i < unitBytes; ++i) {
            const size_t shift = 8 * (bigEndian ? unitBytes - 1 - i : i);
            bytes += static_cast<char>(shift < 16 ? (c >> shift) & 0xFF : 0);
        }
    }
    return bytes;
}

TEST(XmlLayerSafety, DocumentsWithADoctypeAreRefusedInEveryEncoding) {
    const std::wstring comment = L"<!-- " + std::wstring(10000, L'c') + L" <!DOCTYPE in a comment> -->";
    const std::wstring clean = L"<?xml version='1.0'?>" + comment + L"<?pi x?>\r\n<Products><P n='1'/></Products>";
    const std::wstring doctype = L"<?xml version='1.0'?>" + comment + L"<!DOCTYPE Products [<!ENTITY e 'x'>]>" +
                                 L"<Products><P n='&e;'/></Products>";
    struct Form {
        const char* name;
        const char* mark;
        size_t unitBytes;
        bool bigEndian;
    };
    const Form forms[] = {{"utf-8", "", 1, false},          {"utf-8 bom", "\xEF\xBB\xBF", 1, false},
                          {"utf-16le", "", 2, false},       {"utf-16le bom", "\xFF\xFE", 2, false},
                          {"utf-16be bom", "\xFE\xFF", 2, true}};
    TempFolder folder;
    for (const Form& form : forms) {
        const std::wstring path = folder.Sub(L"doc.xml");
        WriteBytes(path, Encode(clean, form.mark, form.unitBytes, form.bigEndian));
        EXPECT_TRUE(CXmlDocHolder().Load(path.c_str())) << form.name;
        WriteBytes(path, Encode(doctype, form.mark, form.unitBytes, form.bigEndian));
        EXPECT_FALSE(CXmlDocHolder().Load(path.c_str())) << form.name;
    }
    EXPECT_TRUE(CXmlDocHolder().LoadXml(clean.c_str()));
    EXPECT_FALSE(CXmlDocHolder().LoadXml(doctype.c_str()));
    EXPECT_FALSE(CXmlDocHolder().LoadXml((L"\xFEFF \r\n<!DOCTYPE a><a/>")));
}

TEST(XmlLayerSafety, FilesHeldOpenForWritingElsewhereStillLoad) {
    TempFolder folder;
    const std::wstring path = folder.Sub(L"held.xml");
    WriteBytes(path, "<Products><Product/></Products>");
    // As a scanner or an editor holds it: open for writing, sharing everything.
    UniqueFile held(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    EXPECT_TRUE(CXmlDocHolder().Load(path.c_str()));
}

TEST(XmlLayerSafety, PrologsTheParserMightReadDifferentlyAreRefused) {
    EXPECT_TRUE(TextPrologRefused(L"<?xml version='1.0'?><!doctype a><a/>"));
    EXPECT_TRUE(TextPrologRefused(L"<!-- open --><![CDATA[x]]><a/>"));
    EXPECT_TRUE(TextPrologRefused(L"junk<a/>"));
    EXPECT_FALSE(TextPrologRefused(L"<?xml version='1.0'?><!-- --><a><!DOCTYPE later/></a>"));
    EXPECT_TRUE(BytesPrologRefused("<?xml version='1.0' encoding='UTF-7'?><!-- +AC0-+AC0APgA8ACE-DOCTYPE a -->\n<a/>"))
        << "UTF-7 hides what its prolog holds";
    EXPECT_TRUE(BytesPrologRefused("\x4C\x6F\xA7\x94\x93\x40\x6F\x6E\x4C\x5A\xC4\xD6\xC3"));  // EBCDIC "<?xml ?><!DOC"

}

// Each case runs on a thread of its own, so COM starts uninitialised there.
template <typename Body>
void OnFreshThread(Body body) {
    std::thread(body).join();
}

TEST(XmlLayerCom, HolderLeavesTheCallersComAlone) {
    OnFreshThread([] {
        ASSERT_EQ(S_OK, CoInitialize(nullptr));
        { CXmlDocHolder nested; }
        EXPECT_EQ(S_FALSE, CoInitialize(nullptr)) << "COM must still be initialised on the caller's thread";
        CoUninitialize();
        CoUninitialize();
        // Only if the holder gave back every reference it took is the thread
        // now free to choose another apartment.
        EXPECT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_MULTITHREADED));
        CoUninitialize();
    });
}

TEST(XmlLayerCom, HolderUninitialisesWhatItInitialised) {
    OnFreshThread([] {
        { CXmlDocHolder alone; }
        EXPECT_EQ(S_OK, CoInitialize(nullptr)) << "a holder that initialised COM uninitialises it";
        CoUninitialize();
    });
}

}  // namespace
