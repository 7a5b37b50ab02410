// The serial and file a signed catalogue claims on its root, and when they
// keep a download out.
#include <gtest/gtest.h>

#include "signature/catalogue_claims.h"
#include "text/utf8_text.h"

namespace {

TEST(CatalogueClaims, ASerialIsAWholeNumberFromOneToTheLargest64BitOne) {
    const struct {
        const wchar_t* text;
        uint64_t number;  // 0: not a serial
    } cases[] = {{L"1", 1},
                 {L"007", 7},
                 {L"18446744073709551615", UINT64_MAX},
                 {L"18446744073709551616", 0},
                 {L"0", 0},
                 {L"", 0},
                 {L"-1", 0},
                 {L"+5", 0},
                 {L" 5", 0},
                 {L"5 ", 0},
                 {L"0x10", 0},
                 {L"1e3", 0}};
    for (const auto& c : cases) EXPECT_EQ(c.number, SerialNumber(c.text).value_or(0)) << ToUtf8(c.text);
}

TEST(CatalogueClaims, AreReadFromTheRootAndJudgedAgainstTheCatalogueInUse) {
    const auto claims = [](const char* root) {
        return ReadCatalogueClaims(std::string("<?xml version='1.0' encoding='utf-8'?><Products ") + root +
                                   "><Product GUID='g'/></Products>");
    };
    const struct {
        const char* downloaded;
        const char* inUse;
        bool same;
        const wchar_t* refusal;
    } cases[] = {
        {"", "", false, L""},
        {"serial='1'", "", false, L""},
        {"", "serial='5'", false, L"it has no serial and the catalogue in use (5) has one"},
        {"serial='4'", "serial='5'", false, L"its serial 4 is older than the catalogue in use (5)"},
        {"serial='5'", "serial='5'", false,
         L"its serial 5 is that of the catalogue in use (5), but its content differs"},
        {"serial='5'", "serial='5'", true, L""},
        {"serial='6'", "serial='5'", false, L""},
        {"serial='6'", "serial='x'", false, L""},
        {"serial='x'", "", false, L"its serial \"x\" is not a whole number from 1 to 18446744073709551615"},
        {"file='smbplugins_X86.XML'", "", false, L""},
        {"file='SMBPlugins_x64.xml'", "", false, L"it is meant for SMBPlugins_x64.xml, not SMBPlugins_x86.xml"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.refusal, ClaimsRefusal(claims(c.downloaded), claims(c.inUse), c.same, L"SMBPlugins_x86.xml"))
            << c.downloaded << " / " << c.inUse;
    }
    EXPECT_EQ(L"it has no Product element", ClaimsRefusal(ReadCatalogueClaims("<Products/>"), {}, false, L"x"));
    EXPECT_EQ(L"it does not load", ClaimsRefusal(ReadCatalogueClaims("<!DOCTYPE a><a/>"), {}, false, L"x"));
}

}  // namespace
