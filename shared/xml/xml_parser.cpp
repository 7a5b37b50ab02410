#include "xml/xml_parser.h"

#include <oleauto.h>
#include <shlwapi.h>

#include <algorithm>
#include <new>
#include <optional>
#include <string>

#include "win32/com_owners.h"
#include "win32/file_bytes.h"

const CLSID kDomDocumentClass = {0xF6D90F11, 0x9C73, 0x11D3, {0xB3, 0x2E, 0x00, 0xC0, 0x4F, 0x99, 0x0B, 0xB4}};
const CLSID kDomDocument26Class = {0xF5078F1B, 0xC551, 0x11D3, {0x89, 0xB9, 0x00, 0x00, 0xF8, 0x1F, 0xE2, 0x21}};
const IID kDomDocument2Interface = {0x2933BF95, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

namespace {

enum class Prolog { Clean, Refused, Unfinished };

bool IsXmlSpace(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

// Walks white space, processing instructions (the XML declaration among
// them) and comments up to the first element. The only other thing a
// well-formed prolog may hold is a DOCTYPE; anything else there means the
// text is not XML or was decoded wrongly, and is refused as well.
Prolog ScanProlog(std::wstring_view text) {
    size_t at = !text.empty() && text[0] == 0xFEFF ? 1 : 0;
    for (;;) {
        while (at < text.size() && IsXmlSpace(text[at])) ++at;
        if (at + 1 >= text.size()) return Prolog::Unfinished;
        if (text[at] != L'<') return Prolog::Refused;
        const std::wstring_view rest = text.substr(at);
        size_t end = std::wstring_view::npos;
        if (rest[1] == L'?') {
            end = rest.find(L"?>", 2);
            if (end != std::wstring_view::npos) end += 2;
        } else if (rest[1] == L'!') {
            if (rest.size() < 4) return Prolog::Unfinished;
            if (rest.substr(0, 4) != L"<!--") return Prolog::Refused;  // <!DOCTYPE
            end = rest.find(L"-->", 4);
            if (end != std::wstring_view::npos) end += 3;
        } else {
            return Prolog::Clean;
        }
        if (end == std::wstring_view::npos) return Prolog::Unfinished;
        at += end;
    }
}

// How a file's bytes carry characters, told from its first four bytes as
// XML's own encoding detection does.
struct ByteLayout {
    size_t unitBytes = 1;
    bool bigEndian = false;
    bool ebcdic = false;
    size_t markBytes = 0;  // a byte-order mark to skip
};

ByteLayout DetectLayout(const std::string& bytes) {
    auto startsWith = [&bytes](const char* prefix, size_t length) {
        return bytes.size() >= length && bytes.compare(0, length, prefix, length) == 0;
    };
    if (startsWith("\x00\x00\xFE\xFF", 4)) return {4, true, false, 4};
    if (startsWith("\xFF\xFE\x00\x00", 4)) return {4, false, false, 4};
    if (startsWith("\xFE\xFF", 2)) return {2, true, false, 2};
    if (startsWith("\xFF\xFE", 2)) return {2, false, false, 2};
    if (startsWith("\xEF\xBB\xBF", 3)) return {1, false, false, 3};
    if (startsWith("\x00\x00\x00\x3C", 4)) return {4, true, false, 0};
    if (startsWith("\x3C\x00\x00\x00", 4)) return {4, false, false, 0};
    if (startsWith("\x00\x3C", 2)) return {2, true, false, 0};
    if (startsWith("\x3C\x00", 2)) return {2, false, false, 0};
    if (startsWith("\x4C\x6F\xA7\x94", 4)) return {1, false, true, 0};
    return {};
}

// The EBCDIC code points of the characters a prolog scan looks at; every
// other byte stands for some character the scan does not care about.
wchar_t FromEbcdic(unsigned char byte) {
    switch (byte) {
        case 0x40: return L' ';
        case 0x05: return L'\t';
        case 0x0D: return L'\r';
        case 0x15:
        case 0x25: return L'\n';
        case 0x4C: return L'<';
        case 0x6E: return L'>';
        case 0x6F: return L'?';
        case 0x5A: return L'!';
        case 0x60: return L'-';
        default: return L'x';
    }
}

// The characters of the whole units in bytes. Bytes of multi-byte code pages
// come out one by one: their ASCII characters are the ones that matter.
std::wstring DecodeForScan(const std::string& bytes, const ByteLayout& layout) {
    std::wstring text;
    for (size_t at = layout.markBytes; at + layout.unitBytes <= bytes.size(); at += layout.unitBytes) {
        unsigned long unit = 0;
        for (size_t i = 0; i < layout.unitBytes; ++i) {
            const size_t index = layout.bigEndian ? at + i : at + layout.unitBytes - 1 - i;
            unit = unit << 8 | static_cast<unsigned char>(bytes[index]);
        }
        if (layout.ebcdic) unit = FromEbcdic(static_cast<unsigned char>(unit));
        text += unit > 0xFFFF ? wchar_t{0xFFFD} : static_cast<wchar_t>(unit);
    }
    return text;
}

// UTF-7 spells '<' and '!' in letters, so a byte-wise scan cannot see what a
// UTF-7 document's prolog holds: such documents are refused outright.
bool DeclaresUtf7(std::wstring text) {
    if (text.compare(0, 5, L"<?xml") != 0) return false;
    text = text.substr(0, text.find(L"?>"));
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return towlower(c); });
    text.erase(std::remove(text.begin(), text.end(), L'-'), text.end());
    return text.find(L"utf7") != std::wstring::npos;
}

Prolog ScanFileStart(const std::string& bytes) {
    const ByteLayout layout = DetectLayout(bytes);
    const std::wstring text = DecodeForScan(bytes, layout);
    const Prolog verdict = ScanProlog(text);
    if (layout.unitBytes == 1 && !layout.ebcdic && verdict != Prolog::Refused && DeclaresUtf7(text)) {
        return Prolog::Refused;
    }
    return verdict;
}

// Never throws: documents are made in code that must not.
bool SetProhibitDtd(IXMLDOMDocument2* document) noexcept {
    ComString name;
    *name.Receive() = SysAllocString(L"ProhibitDTD");
    if (name.IsNull()) return false;
    ComVariant on;
    V_VT(on.Ptr()) = VT_BOOL;
    V_BOOL(on.Ptr()) = VARIANT_TRUE;
    return SUCCEEDED(document->setProperty(name.Get(), on.Ref()));
}

}  // namespace

bool TextPrologRefused(std::wstring_view text) {
    return ScanProlog(text) == Prolog::Refused;
}

bool BytesPrologRefused(const std::string& bytes) {
    return ScanFileStart(bytes) == Prolog::Refused;
}

bool GetXmlDocumentFactory(const CLSID& documentClass, ComPtr<IClassFactory>& factory) {
    return SUCCEEDED(CoGetClassObject(documentClass, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                      reinterpret_cast<void**>(factory.Receive()))) &&
           factory;
}

bool CreateXmlDocument(IClassFactory* factory, ComPtr<IXMLDOMDocument2>& document) {
    if (!factory || FAILED(factory->CreateInstance(nullptr, kDomDocument2Interface,
                                                   reinterpret_cast<void**>(document.Receive()))) ||
        !document) {
        return false;
    }
    // Windows' MSXML 3 loads asynchronously and resolves externals unless told
    // not to; a document that can't be set up safely is not used.
    if (FAILED(document->put_async(VARIANT_FALSE)) || FAILED(document->put_validateOnParse(VARIANT_FALSE)) ||
        FAILED(document->put_resolveExternals(VARIANT_FALSE))) {
        document.Reset();
        return false;
    }
    // Older parsers without the property still meet the prolog check.
    SetProhibitDtd(document.Get());
    return true;
}

bool ParseXmlText(IXMLDOMDocument2* document, BSTR text) {
    if (!document || !text || TextPrologRefused(std::wstring_view(text, SysStringLen(text)))) return false;
    VARIANT_BOOL parsed = VARIANT_FALSE;
    return SUCCEEDED(document->loadXML(text, &parsed)) && parsed != VARIANT_FALSE;
}

namespace {

// A stream over the bytes of the file at path, unless it can't be read or its
// prolog is refused. The stream keeps a copy of its own, and the bytes read
// are let go before the caller parses: a large catalogue is held once, not
// twice, while the parser builds its document.
XmlFileLoad OpenXmlFileStream(const wchar_t* path, ComPtr<IStream>& stream) {
    std::optional<std::string> bytes;
    try {
        bytes = ReadFileBytes(path, kXmlFileLimit);
    } catch (const std::bad_alloc&) {
    }
    if (!bytes) return XmlFileLoad::kUnreadable;
    if (BytesPrologRefused(*bytes)) return XmlFileLoad::kPrologRefused;
    stream = ComPtr<IStream>(SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes->data()), static_cast<UINT>(bytes->size())));
    return stream ? XmlFileLoad::kLoaded : XmlFileLoad::kUnreadable;
}

}  // namespace

XmlFileLoad LoadXmlFile(IXMLDOMDocument2* document, const wchar_t* path) {
    if (!document || !path) return XmlFileLoad::kUnreadable;
    ComPtr<IStream> stream;
    const XmlFileLoad opened = OpenXmlFileStream(path, stream);
    if (opened != XmlFileLoad::kLoaded) return opened;
    // The parser detects the encoding from the bytes as it would from the file.
    VARIANT source;
    VariantInit(&source);
    V_VT(&source) = VT_UNKNOWN;
    V_UNKNOWN(&source) = stream.Get();  // lent: the stream owner keeps the reference
    VARIANT_BOOL parsed = VARIANT_FALSE;
    const bool loaded = SUCCEEDED(document->load(source, &parsed)) && parsed != VARIANT_FALSE;
    return loaded ? XmlFileLoad::kLoaded : XmlFileLoad::kNotWellFormed;
}
