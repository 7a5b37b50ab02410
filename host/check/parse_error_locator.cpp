#include "check/parse_error_locator.h"

#include <windows.h>
#include <shlwapi.h>
#include <xmllite.h>

#include "text/hex_text.h"
#include "win32/com_ptr.h"
#include "win32/library_function.h"
#include "win32/system_library.h"

namespace {

// XmlLite has no import library here: CreateXmlReader is bound at run time,
// and the reader's interface id is spelt out.
const IID kXmlReaderInterface = {0x7279FC81, 0x709D, 0x4095, {0xB6, 0x3D, 0x69, 0xFE, 0x4B, 0x0D, 0x90, 0x30}};
using CreateXmlReaderFn = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);

struct Reason {
    HRESULT code;
    const wchar_t* text;
};

// The failures a hand-edited catalogue meets; others show their number.
const Reason kReasons[] = {
    {static_cast<HRESULT>(MX_E_INPUTEND), L"the file ends inside the document"},
    {static_cast<HRESULT>(MX_E_ENCODING), L"a character is not valid in the file's encoding"},
    {static_cast<HRESULT>(MX_E_ENCODINGSWITCH), L"the declared encoding does not fit the file"},
    {static_cast<HRESULT>(WC_E_WHITESPACE), L"white space expected"},
    {static_cast<HRESULT>(WC_E_SEMICOLON), L"';' expected after a character or entity reference"},
    {static_cast<HRESULT>(WC_E_GREATERTHAN), L"'>' expected"},
    {static_cast<HRESULT>(WC_E_QUOTE), L"a quote expected around an attribute value"},
    {static_cast<HRESULT>(WC_E_EQUAL), L"'=' expected after an attribute name"},
    {static_cast<HRESULT>(WC_E_LESSTHAN), L"'<' is not allowed in an attribute value"},
    {static_cast<HRESULT>(WC_E_XMLCHARACTER), L"a character that XML does not allow"},
    {static_cast<HRESULT>(WC_E_NAMECHARACTER), L"a character not allowed in a name"},
    {static_cast<HRESULT>(WC_E_SYNTAX), L"syntax error"},
    {static_cast<HRESULT>(WC_E_COMMENT), L"a comment is not closed properly"},
    {static_cast<HRESULT>(WC_E_NAME), L"a name expected"},
    {static_cast<HRESULT>(WC_E_ROOTELEMENT), L"no root element, or more than one"},
    {static_cast<HRESULT>(WC_E_ELEMENTMATCH), L"an end tag does not match its start tag"},
    {static_cast<HRESULT>(WC_E_UNIQUEATTRIBUTE), L"an attribute is repeated in one element"},
    {static_cast<HRESULT>(WC_E_XMLDECL), L"the XML declaration is malformed"},
    {static_cast<HRESULT>(WC_E_UNDECLAREDENTITY), L"an entity that is not declared"},
    {static_cast<HRESULT>(WC_E_PI), L"a processing instruction is malformed"},
    {static_cast<HRESULT>(WC_E_MOREDATA), L"text after the root element"},
    {static_cast<HRESULT>(NC_E_UNDECLAREDPREFIX), L"a namespace prefix that is not declared"},
};

std::wstring ReasonText(HRESULT code) {
    for (const Reason& reason : kReasons) {
        if (reason.code == code) return reason.text;
    }
    return L"XmlLite error 0x" + HexNumber(static_cast<uint32_t>(code));
}

}  // namespace

bool LocateParseError(const std::wstring& path, XmlParseFailure& failure) {
    const UniqueModule library = LoadSystemLibrary(L"xmllite.dll");
    if (!library) return false;
    const auto create = LibraryFunction<CreateXmlReaderFn>(library.Get(), "CreateXmlReader");
    ComPtr<IStream> stream;
    ComPtr<IXmlReader> reader;
    if (!create || FAILED(SHCreateStreamOnFileW(path.c_str(), STGM_READ | STGM_SHARE_DENY_NONE, stream.Receive())) ||
        FAILED(create(kXmlReaderInterface, reinterpret_cast<void**>(reader.Receive()), nullptr)) ||
        FAILED(reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit)) ||
        FAILED(reader->SetInput(stream.Get()))) {
        return false;
    }
    XmlNodeType type = XmlNodeType_None;
    HRESULT hr = S_OK;
    while ((hr = reader->Read(&type)) == S_OK) {
    }
    if (SUCCEEDED(hr)) return false;
    UINT line = 0;
    UINT position = 0;
    reader->GetLineNumber(&line);
    reader->GetLinePosition(&position);
    failure.line = static_cast<long>(line);
    failure.position = static_cast<long>(position);
    failure.reason = ReasonText(hr);
    return true;
}
