#include "xml/child_elements.h"

#include <cwctype>
#include <new>
#include <vector>

#include "win32/com_ptr.h"

namespace {

bool IsElementNamed(IXMLDOMNode* node, std::wstring_view name) {
    DOMNodeType type = NODE_INVALID;
    if (FAILED(node->get_nodeType(&type)) || type != NODE_ELEMENT) return false;
    BSTR nodeName = nullptr;
    const bool same =
        SUCCEEDED(node->get_nodeName(&nodeName)) && std::wstring_view(nodeName, SysStringLen(nodeName)) == name;
    SysFreeString(nodeName);
    return same;
}

// Calls visit(child) for each child element named name, in order, while it
// returns true; false when the children can't be read.
template <typename Visit>
bool ForEachChildElement(IXMLDOMElement* parent, std::wstring_view name, Visit visit) {
    ComPtr<IXMLDOMNode> child;
    if (FAILED(parent->get_firstChild(child.Receive()))) return false;
    while (child) {
        if (IsElementNamed(child.Get(), name) && !visit(child.Get())) return true;
        ComPtr<IXMLDOMNode> next;
        if (FAILED(child->get_nextSibling(next.Receive()))) return false;
        child = std::move(next);
    }
    return true;
}

// A node list over nodes found beforehand; callers read it by index.
class NodeList final : public IXMLDOMNodeList {
public:
    std::vector<ComPtr<IXMLDOMNode>> nodes;

    HRESULT WINAPI QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IXMLDOMNodeList) {
            *object = static_cast<IXMLDOMNodeList*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG WINAPI AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_references)); }
    ULONG WINAPI Release() override {
        const LONG left = InterlockedDecrement(&m_references);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }
    HRESULT WINAPI GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return E_NOTIMPL;
    }
    HRESULT WINAPI GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT WINAPI GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT WINAPI Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI get_item(LONG index, IXMLDOMNode** item) override {
        if (!item) return E_INVALIDARG;
        *item = nullptr;
        if (index < 0 || static_cast<size_t>(index) >= nodes.size()) return S_FALSE;
        *item = nodes[index].Get();
        (*item)->AddRef();
        return S_OK;
    }
    HRESULT WINAPI get_length(LONG* length) override {
        if (!length) return E_INVALIDARG;
        *length = static_cast<LONG>(nodes.size());
        return S_OK;
    }
    HRESULT WINAPI nextNode(IXMLDOMNode** item) override {
        const HRESULT result = get_item(m_next, item);
        if (result == S_OK) ++m_next;
        return result;
    }
    HRESULT WINAPI reset() override {
        m_next = 0;
        return S_OK;
    }
    HRESULT WINAPI get__newEnum(IUnknown**) override { return E_NOTIMPL; }

private:
    ~NodeList() = default;
    LONG m_references = 1;
    LONG m_next = 0;
};

}  // namespace

std::wstring_view ChildElementName(const wchar_t* xpath) {
    std::wstring_view name(xpath ? xpath : L"");
    if (name.substr(0, 2) == L"./") name.remove_prefix(2);
    if (name.empty() || !(iswalpha(name[0]) || name[0] == L'_')) return {};
    for (wchar_t c : name) {
        if (!(iswalnum(c) || c == L'_' || c == L'-' || c == L'.')) return {};
    }
    return name;
}

IXMLDOMNode* FirstChildElement(IXMLDOMElement* parent, std::wstring_view name) {
    IXMLDOMNode* first = nullptr;
    ForEachChildElement(parent, name, [&first](IXMLDOMNode* child) {
        child->AddRef();
        first = child;
        return false;
    });
    return first;
}

IXMLDOMNodeList* ChildElements(IXMLDOMElement* parent, std::wstring_view name) {
    NodeList* list = new (std::nothrow) NodeList();
    if (!list) return nullptr;
    bool stored = true;
    const bool read = ForEachChildElement(parent, name, [list, &stored](IXMLDOMNode* child) {
        child->AddRef();
        ComPtr<IXMLDOMNode> held(child);
        try {
            list->nodes.push_back(std::move(held));
        } catch (...) {
            stored = false;  // no memory: the list could not be made
        }
        return stored;
    });
    if (read && stored) return list;
    list->Release();
    return nullptr;
}
