#pragma once
// What a catalogue says of itself on its root element, which the vendor's
// signature makes binding:
// - "serial": its edition, a decimal whole number from 1 to
//   18446744073709551615, so that an older catalogue the vendor once signed
//   cannot come back in place of a newer one (rollback);
// - "file": the file it is meant for, SMBPlugins_x86.xml or
//   SMBPlugins_x64.xml in any letter case, so that one platform's catalogue
//   cannot stand in for the other's (mix-up).
// Both are optional, and only downloads checked against a key look at them.
#include <cstdint>
#include <optional>
#include <string>

struct CatalogueClaims {
    bool loads = false;                  // the bytes load as a catalogue document
    int products = 0;                    // "Product" children of the root
    std::optional<std::wstring> serial;  // as written, when present
    std::optional<std::wstring> file;
};

// The serial's number, or nothing when text is not one (digits only, no
// sign or blanks, 1 to 18446744073709551615).
std::optional<uint64_t> SerialNumber(const std::wstring& text);
// What a serial must be, as every message about one says it.
extern const wchar_t kSerialRule[];
// True when text names one of the two catalogue files.
bool IsCatalogueFileName(const std::wstring& text);

// Reads the claims of a catalogue's bytes with the module's own XML layer.
CatalogueClaims ReadCatalogueClaims(const std::string& bytes);

// Why a signed download may not replace the catalogue in use, for the debug
// log ("its serial 4 is older than the catalogue in use (5)"), or empty when
// it may. sameBytes: the download is byte for byte the catalogue in use. A
// catalogue in use without a usable serial holds no download back.
std::wstring ClaimsRefusal(const CatalogueClaims& downloaded, const CatalogueClaims& inUse, bool sameBytes,
                           const wchar_t* ownFileName);
