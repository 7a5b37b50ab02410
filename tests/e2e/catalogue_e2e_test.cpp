// The catalogue as the host sees it: which file is read, when it is read
// again, and how its products are listed.
#include <gtest/gtest.h>

#include "staged_module.h"

namespace {

class CatalogueThroughModule : public ::testing::Test {
protected:
    std::vector<ListedItem> Query(IPCCheckPluginObject* object) {
        CallbackLog::Reset();
        object->HandleRequest(Request(L"QUERY").c_str());
        if (CallbackLog::Calls().size() != 1) return {};
        return ParseItems(CallbackLog::Calls()[0].response);
    }
    StagedModule m_module;
};

TEST_F(CatalogueThroughModule, ReadsOnlyTheCatalogueOfItsOwnPlatform) {
    m_module.WriteCatalogue(StagedModule::OtherCatalogueName(), L"<Product GUID='other' productType='0'/>");
    ObjectHolder object(m_module.NewRegisteredObject());
    EXPECT_TRUE(Query(object.Get()).empty()) << "only the other platform's file exists";

    m_module.WriteOwnCatalogue(L"<Product GUID='own' name='Own' productType='1'/>");
    object->RegisterCallback(nullptr, m_module.Context());
    const std::vector<ListedItem> expected = {{L"Own", L"own", 0, 1}};
    EXPECT_EQ(expected, Query(object.Get()));
}

TEST_F(CatalogueThroughModule, ChangedFileIsSeenAfterTheNextRegistrationOnly) {
    m_module.WriteOwnCatalogue(L"<Product GUID='a' name='A' productType='0'/>");
    ObjectHolder object(m_module.NewRegisteredObject());
    m_module.WriteOwnCatalogue(L"<Product GUID='b' name='B' productType='2'/>");
    EXPECT_EQ(L"a", Query(object.Get()).at(0).guid) << "a QUERY without Param bit 0 does not re-read";
    object->RegisterCallback(nullptr, m_module.Context());
    EXPECT_EQ(L"b", Query(object.Get()).at(0).guid);
}

TEST_F(CatalogueThroughModule, ListsProductsInGroupAndGuidOrderWithTextsEscaped) {
    m_module.WriteOwnCatalogue(
        L"<Product GUID='{B}' name='Tom &amp; Jerry' productType='2'/>"
        L"<Product GUID='b&lt;2' name='Say &quot;hi&quot;' productType='0'/>"
        L"<Product GUID='B&amp;1' name='&lt;tag&gt;' productType='0'/>"
        L"<Product GUID='x' name='dropped' productType='5'/>"
        L"<Product GUID='m' name='Middle' productType='1'/>");
    ObjectHolder object(m_module.NewRegisteredObject());
    const std::vector<ListedItem> expected = {{L"<tag>", L"B&1", 0, 0},
                                              {L"Say \"hi\"", L"b<2", 0, 0},
                                              {L"Middle", L"m", 0, 1},
                                              {L"Tom & Jerry", L"{B}", 0, 2}};
    EXPECT_EQ(expected, Query(object.Get()));
}

// Entities are refused wherever they come from: a catalogue fetched over plain
// HTTP must not pull a local file's text into the answer, nor a request keep
// the host's thread busy expanding entities.
TEST_F(CatalogueThroughModule, DocumentsWithEntitiesYieldNothing) {
    TempFolder secret;
    WriteUtf8File(secret.Sub(L"secret.txt"), L"TOPSECRET");
    const std::wstring products = L"<Products><Product GUID='e' name='&e;' productType='0'><Detail>&e;</Detail>"
                                  L"</Product><Product GUID='plain' name='Plain' productType='0'/></Products>";
    const std::wstring internal = L"<!DOCTYPE Products [<!ENTITY e 'Entity'>]>";
    const std::wstring external = L"<!DOCTYPE Products [<!ENTITY e SYSTEM '" + secret.Sub(L"secret.txt") + L"'>]>";
    for (const std::wstring& doctype : {internal, external}) {
        WriteUtf8File(m_module.ProductCfg(StagedModule::OwnCatalogueName()), L"<?xml version='1.0'?>" + doctype + products);
        ObjectHolder object(m_module.NewRegisteredObject());
        EXPECT_TRUE(Query(object.Get()).empty()) << ToUtf8(doctype);
        EXPECT_EQ(std::wstring::npos, CallbackLog::Calls().at(0).response.find(L"TOPSECRET"));
    }

    std::wstring laughs = L"<!DOCTYPE Request [<!ENTITY a0 'lol'>";
    for (int level = 1; level <= 12; ++level) {
        const std::wstring previous = L"&a" + std::to_wstring(level - 1) + L";";
        laughs += L"<!ENTITY a" + std::to_wstring(level) + L" '" + previous + previous + previous + previous + L"'>";
    }
    laughs += L"]><Request id='&a12;' cmd='QUERY'/>";
    ObjectHolder object(m_module.NewRegisteredObject());
    CallbackLog::Reset();
    EXPECT_EQ(1, object->HandleRequest(laughs.c_str()));
    EXPECT_TRUE(CallbackLog::Calls().empty());
}

// The module with the shipped samples in a folder of this name: what its
// "QUERY" answers, response and report.
CallbackCall SamplesAnswerIn(const std::wstring& below) {
    StagedModule module(below);
    for (const wchar_t* sample : {L"ProductCfg\\SMBPlugins_x86.xml", L"ProductCfg\\SMBPlugins_x64.xml",
                                  L"config\\reporttempl.xml"}) {
        CopyFileTo(StageFolder() + L"\\" + sample, module.Sub(sample));
    }
    if (!module.Load()) {
        ADD_FAILURE() << "the module does not load from " << ToUtf8(module.Folder());
        return {};
    }
    ObjectHolder object(module.NewRegisteredObject());
    object->HandleRequest(Request(L"QUERY").c_str());
    return CallbackLog::Calls().size() == 1 ? CallbackLog::Calls()[0] : CallbackCall{};
}

// Install folders a path reader would take for an address ("%41", "#"), and
// other names Windows allows, up to a 200-character module folder.
TEST(InstallFolders, AnyFolderGivesTheSameAnswer) {
    const CallbackCall plain = SamplesAnswerIn(L"");
    ASSERT_GE(ParseItems(plain.response).size(), 10u);
    ASSERT_NE(L"", plain.report);
    // Two folders below a temporary one as long as the module's, give or take
    // a digit of its name: a module folder of about 200 characters.
    const size_t deep = 198 - TempFolder().Path().size();
    const std::wstring folders[] = {L"a#b", L"%41", L"100%", L"with  spaces", L"Gr\u00FC\u00DFe \u03A9 \u7A0B\u5E8F",
                                    std::wstring(deep / 2, L'd') + L"\\" + std::wstring(deep - deep / 2 - 1, L'e')};
    for (const std::wstring& below : folders) {
        const CallbackCall answer = SamplesAnswerIn(below);
        EXPECT_TRUE(answer.response == plain.response) << ToUtf8(below);
        EXPECT_TRUE(answer.report == plain.report) << ToUtf8(below);
    }
}

}  // namespace
