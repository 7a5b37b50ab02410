// The in-memory catalogue and the catalogue file parser.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "catalogue/product_manager.h"
#include "test_files.h"

namespace {

ProductRecord Record(const wchar_t* guid, const wchar_t* name = L"") {
    ProductRecord record;
    record.guid = guid;
    record.name = name;
    return record;
}

// (group, guid) pairs in iteration order.
std::vector<std::pair<uint32_t, std::wstring>> Listing(ProductManager& manager) {
    std::vector<std::pair<uint32_t, std::wstring>> listing;
    ProductPosition position;
    uint32_t group = 99;
    if (!manager.GetFirstProduct(position, group)) return listing;
    while (ProductRecord* record = manager.GetNextProduct(position, group)) listing.emplace_back(group, record->guid);
    return listing;
}

TEST(ProductManager, IteratesGroupsInOrderAndGuidsByCodeUnits) {
    ProductManager manager;
    manager.AddProduct(2, Record(L"z"));
    manager.AddProduct(0, Record(L"b"));
    manager.AddProduct(0, Record(L"B"));
    manager.AddProduct(0, Record(L"a"));
    manager.AddProduct(0, Record(L"ab"));
    manager.AddProduct(2, Record(L"A"));
    const std::vector<std::pair<uint32_t, std::wstring>> expected = {{0, L"B"}, {0, L"a"}, {0, L"ab"},
                                                                     {0, L"b"}, {2, L"A"}, {2, L"z"}};
    EXPECT_EQ(expected, Listing(manager));
    EXPECT_EQ(6, manager.GetProductCount());
}

TEST(ProductManager, SameGuidReplacesWithinAGroupOnly) {
    ProductManager manager;
    manager.AddProduct(0, Record(L"G", L"first"));
    manager.AddProduct(0, Record(L"G", L"second"));
    manager.AddProduct(2, Record(L"G", L"other group"));
    manager.AddProduct(1, Record(L"", L"empty one"));
    manager.AddProduct(1, Record(L"", L"empty two"));
    EXPECT_EQ(3, manager.GetProductCount());
    ProductPosition position;
    uint32_t group = 0;
    ASSERT_TRUE(manager.GetFirstProduct(position, group));
    EXPECT_EQ(L"second", manager.GetNextProduct(position, group)->name);
    EXPECT_EQ(L"empty two", manager.GetNextProduct(position, group)->name);
    EXPECT_EQ(1u, group);
}

TEST(ProductManager, GroupsOutsideZeroToTwoAreSkipped) {
    ProductManager manager;
    manager.AddProduct(3, Record(L"x"));
    manager.AddProduct(static_cast<uint32_t>(-1), Record(L"y"));
    EXPECT_EQ(0, manager.GetProductCount());
    ProductPosition position;
    uint32_t group = 0;
    EXPECT_FALSE(manager.GetFirstProduct(position, group));
}

// Writes a catalogue into a temporary folder and loads it.
class CatalogueFile : public ::testing::Test {
protected:
    bool Load(const std::wstring& body) {
        const std::wstring path = m_folder.Sub(L"catalogue.xml");
        WriteUtf8File(path, body);
        return m_manager.LoadCatalogueFile(path);
    }
    ProductRecord& Only(uint32_t group = 0) {
        ProductPosition position;
        uint32_t found = 0;
        EXPECT_TRUE(m_manager.GetFirstProduct(position, found));
        EXPECT_EQ(group, found);
        return *m_manager.GetNextProduct(position, found);
    }

    TempFolder m_folder;
    ProductManager m_manager;
};

TEST_F(CatalogueFile, MissingOrMalformedFileGivesAnEmptyCatalogue) {
    m_manager.AddProduct(0, Record(L"old"));
    EXPECT_FALSE(m_manager.LoadCatalogueFile(m_folder.Sub(L"absent.xml")));
    EXPECT_EQ(0, m_manager.GetProductCount());
    EXPECT_FALSE(Load(L"<Products><Product GUID='a'"));
    EXPECT_EQ(0, m_manager.GetProductCount());
    EXPECT_TRUE(Load(L"<Products><Other/></Products>"));
    EXPECT_EQ(0, m_manager.GetProductCount());
}

// Far larger than any real catalogue, and still under the file limit. (In
// comments of 1 MiB: Wine's parser refuses a single text over 10 MB.)
TEST_F(CatalogueFile, ACatalogueOfSeventeenMebibytesLoads) {
    const std::wstring path = m_folder.Sub(L"catalogue.xml");
    std::string bytes = "<Products><Product GUID='big' productType='0'/>";
    for (int i = 0; i < 17; ++i) bytes += "<!--" + std::string(1u << 20, 'x') + "-->";
    WriteBytes(path, bytes + "</Products>");
    EXPECT_TRUE(m_manager.LoadCatalogueFile(path));
    EXPECT_EQ(1, m_manager.GetProductCount());
}

TEST_F(CatalogueFile, ProductTypeSelectsTheGroupAndBadOnesAreSkipped) {
    ASSERT_TRUE(
        Load(L"<P>"
             L"<Product GUID='dup' productType='0' name='earlier'/>"
             L"<Product GUID='dup' productType='0' name='later'/>"
             L"<Product GUID='dup' productType='2' name='group two'/>"
             L"<Product GUID='t' productType='1abc'/>"
             L"<Product GUID='none'/>"
             L"<Product GUID='big' productType='3'/>"
             L"<Group><Product GUID='nested' productType='0'/></Group>"
             L"</P>"));
    const std::vector<std::pair<uint32_t, std::wstring>> expected = {{0, L"dup"}, {1, L"t"}, {2, L"dup"}};
    EXPECT_EQ(expected, Listing(m_manager));
    EXPECT_EQ(L"later", Only().name);
}

TEST_F(CatalogueFile, MissingDataTakesDefaults) {
    ASSERT_TRUE(Load(L"<P><Product productType='0' category='abc'/></P>"));
    const ProductRecord& record = Only();
    EXPECT_EQ(L"", record.guid);
    EXPECT_EQ(0, record.category);
    EXPECT_EQ(0, record.serviceType);
    EXPECT_EQ(365, record.serviceDay);
    EXPECT_EQ(0u, record.os);
    EXPECT_EQ(L"", record.setup.name);
    EXPECT_EQ(0, record.setup.wait);
    EXPECT_TRUE(record.methods.empty());
    EXPECT_TRUE(record.urls.empty());
    EXPECT_EQ(0, record.installed);
    EXPECT_EQ(-1, record.foundType);
}

TEST_F(CatalogueFile, ReadsEveryFieldOfAFullProduct) {
    ASSERT_TRUE(
        Load(L"<P><Product name='N &amp; M' GUID='{G}' productType='0' category='5'>"
             L"<url>a</url><url></url><url>b</url>"
             L"<md5>m1</md5><md5>m2</md5><Icon>i</Icon><Detail>d</Detail><Version>v</Version>"
             L"<Dependence>dep</Dependence><Service type='TRUE' day='30'/><OS>12x</OS>"
             L"<Setup name='s' cmdline='/q' wait='1'/></Product></P>"));
    const ProductRecord& record = Only();
    EXPECT_EQ(L"N & M", record.name);
    EXPECT_EQ(5, record.category);
    EXPECT_EQ((std::vector<std::wstring>{L"a", L"b"}), record.urls);
    EXPECT_EQ(L"m1", record.md5);
    EXPECT_EQ(L"i", record.icon);
    EXPECT_EQ(L"d", record.detail);
    EXPECT_EQ(L"v", record.version);
    EXPECT_EQ(L"dep", record.dependence);
    EXPECT_EQ(1, record.serviceType);
    EXPECT_EQ(30, record.serviceDay);
    EXPECT_EQ(12u, record.os);
    EXPECT_EQ(L"/q", record.setup.cmdline);
    EXPECT_EQ(1, record.setup.wait);
}

TEST_F(CatalogueFile, MethodsKeepFileOrderAndOnlyTheirOwnSlots) {
    ASSERT_TRUE(
        Load(L"<P><Product GUID='g' productType='0'><Detect>"
             L"<Method methodType='TRUE' process='app.exe' rootKey='80000002'/>"
             L"<Method methodType='yes' rootKey='80000002' subKey='S' value='V' binary='b.exe' binaryType='3'"
             L" process='ignored.exe'/>"
             L"<Method methodType='2' binaryEvironment='1'/>"
             L"<Method/>"
             L"</Detect></Product></P>"));
    const std::vector<DetectMethod>& methods = Only().methods;
    ASSERT_EQ(4u, methods.size());
    EXPECT_EQ(kMethodProcess, methods[0].methodType);
    EXPECT_EQ((std::vector<std::wstring>{L"app.exe", L"", L"", L"", L"", L"", L"", L"", L"", L""}), methods[0].params);
    EXPECT_EQ(kMethodRegistryFile, methods[1].methodType);
    EXPECT_EQ((std::vector<std::wstring>{L"80000002", L"S", L"V", L"b.exe", L"3", L"0", L"", L"", L"", L""}),
              methods[1].params);
    EXPECT_EQ(kMethodRegistryFile, methods[2].methodType);
    EXPECT_EQ(L"1", methods[2].params[kParamBinaryEnvironment]);
    EXPECT_EQ(kMethodRegistryFile, methods[3].methodType);
    EXPECT_EQ(L"0", methods[3].params[kParamBinaryEnvironment]);
}

TEST_F(CatalogueFile, ReloadReplacesTheWholeCatalogue) {
    ASSERT_TRUE(Load(L"<P><Product GUID='a' productType='0'/><Product GUID='b' productType='1'/></P>"));
    ASSERT_TRUE(Load(L"<P><Product GUID='c' productType='2'/></P>"));
    const std::vector<std::pair<uint32_t, std::wstring>> expected = {{2, L"c"}};
    EXPECT_EQ(expected, Listing(m_manager));
}

}  // namespace
