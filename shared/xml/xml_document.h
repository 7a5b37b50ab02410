#pragma once
// The one way the module, the host and the download module read or build XML:
// thin owners over MSXML's DOM.
//
// Contracts for the whole layer:
// - Read accessors turn every platform failure into false / null / the
//   caller's default; the only exception raised is CAtlException(E_OUTOFMEMORY)
//   when a COM string cannot be allocated.
// - Operations returning a node or list pointer hand over one reference; the
//   caller wraps it at once in a CXmlNodeWrapper / CXmlNodeListWrapper, which
//   adopts it. Wrappers die before the CXmlDocHolder they came from.
#include <windows.h>
#include <msxml2.h>

#include <cstdint>
#include <string>
#include <type_traits>

#include "win32/com_apartment.h"
#include "win32/com_string.h"
#include "win32/com_variant.h"
#include "xml/document_setup.h"

// One document for the span of one operation. Initialises COM on the calling
// thread for that span and balances every successful initialisation, so the
// thread's COM state after the holder is what it was before. A thread already
// in the multithreaded apartment is left there, and documents work in it too.
class CXmlDocHolder {
public:
    CXmlDocHolder();
    ~CXmlDocHolder();
    CXmlDocHolder(const CXmlDocHolder&) = delete;
    CXmlDocHolder& operator=(const CXmlDocHolder&) = delete;

    bool LoadXml(const wchar_t* text);  // parses a whole document from text
    bool Load(const wchar_t* path);     // parses a whole document from a file
    IXMLDOMNode* GetRootNode();         // the document element, or null
    bool GetXml(ComString& out);        // serialises the document; out untouched without one

    // False when no MSXML document could be made: every load then fails.
    bool HasDocument() const noexcept { return static_cast<bool>(m_pDoc); }
    // Load, saying how it ended (kUnreadable without a document).
    XmlFileLoad LoadFile(const wchar_t* path);
    // The same for a file's bytes already read.
    XmlFileLoad LoadBytes(const std::string& bytes);
    // Where and why the last load stopped, as the parser says it; line 0
    // when it cannot say.
    XmlParseFailure GetParseFailure();

private:
    // The class object documents are made from. The outermost holder on a
    // thread finds it and lends it to the holders opened inside its span (a
    // catalogue load opens one per product), and lets it go before COM.
    class DocumentFactory {
    public:
        DocumentFactory() noexcept;
        ~DocumentFactory();
        DocumentFactory(const DocumentFactory&) = delete;
        DocumentFactory& operator=(const DocumentFactory&) = delete;
        bool Create(ComPtr<IXMLDOMDocument2>& document) noexcept;

    private:
        IClassFactory* m_lent = nullptr;  // the outer holder's, when there is one
        ComPtr<IClassFactory> m_own;      // found by this holder
    };

    ComApartment m_apartment;  // declared first: COM outlives the document
    DocumentFactory m_factory;
    ComPtr<IXMLDOMDocument2> m_pDoc;
};

// Wraps one element node. Without a node (or without an element interface)
// every operation behaves as documented for "without a node".
class CXmlNodeWrapper {
public:
    explicit CXmlNodeWrapper(IXMLDOMNode* adopted = nullptr) noexcept : m_pNode(adopted) {}
    virtual ~CXmlNodeWrapper() = default;
    CXmlNodeWrapper(const CXmlNodeWrapper&) = delete;
    CXmlNodeWrapper& operator=(const CXmlNodeWrapper&) = delete;

    bool IsValid() const noexcept { return static_cast<bool>(m_pNode); }

    // The element's name, prefix included; empty without a node.
    std::wstring GetName();
    // The parent element, or null at the document element.
    IXMLDOMNode* GetParentElement();

    // Found only when the attribute exists (as a string); out untouched otherwise.
    bool GetAttribute(const wchar_t* name, ComString& out);
    // As GetAttribute, but an absent attribute stores a copy of def (null allowed).
    bool GetAttributeString(const wchar_t* name, ComString& out, const wchar_t* def);
    // 1 for "true"/"1" in any letter case, 0 for any other present value, def when absent.
    int GetAttributeBool(const wchar_t* name, int def);
    // Base-10 wcstoul of the value (blanks, sign, stops at a non-digit), def when absent.
    uint32_t GetAttributeUInt(const wchar_t* name, uint32_t def);
    bool SetAttribute(const wchar_t* name, const wchar_t* value);
    // Concatenated descendant text; out becomes "" (never null) on failure.
    bool GetText(ComString& out);
    bool GetXml(ComString& out);
    // Creates an element named tag and appends it as the last child.
    IXMLDOMNode* AppendChildElement(const wchar_t* tag);
    IXMLDOMNode* SelectSingleNode(const wchar_t* xpath);  // null when nothing matches
    IXMLDOMNodeList* SelectNodes(const wchar_t* xpath);   // null on failure

private:
    bool Element(ComPtr<IXMLDOMElement>& element) const;

    ComPtr<IXMLDOMNode> m_pNode;
};

// Wraps one node list, read by index from 0 while below GetCount().
class CXmlNodeListWrapper {
public:
    explicit CXmlNodeListWrapper(IXMLDOMNodeList* adopted = nullptr) noexcept : m_pList(adopted) {}
    virtual ~CXmlNodeListWrapper() = default;
    CXmlNodeListWrapper(const CXmlNodeListWrapper&) = delete;
    CXmlNodeListWrapper& operator=(const CXmlNodeListWrapper&) = delete;

    int GetCount();                   // 0 without a list or when the length can't be read
    IXMLDOMNode* GetNode(int index);  // null outside 0 .. count-1

    // Calls visit(CXmlNodeWrapper&) for each node in order; a visit that
    // returns false stops the walk.
    template <typename Visit>
    void ForEach(Visit visit) {
        const int count = GetCount();
        for (int i = 0; i < count; ++i) {
            CXmlNodeWrapper node(GetNode(i));
            if constexpr (std::is_same_v<decltype(visit(node)), bool>) {
                if (!visit(node)) return;
            } else {
                visit(node);
            }
        }
    }

private:
    ComPtr<IXMLDOMNodeList> m_pList;
};

// The attribute's text, or def when it is absent (def may be null: empty).
std::wstring AttributeText(CXmlNodeWrapper& node, const wchar_t* name, const wchar_t* def = L"");

// The element's text; empty without an element.
std::wstring ElementText(CXmlNodeWrapper& node);
