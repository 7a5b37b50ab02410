#include "check/deeper_products.h"

#include <utility>

#include "win32/com_owners.h"
#include "win32/com_ptr.h"
#include "xml/xml_document.h"

namespace {

std::wstring NodeName(IXMLDOMNode* node) {
    ComString name;
    if (FAILED(node->get_nodeName(name.Receive()))) return std::wstring();
    return name.Str();
}

// The element names from the document element down to element, each after "/".
std::wstring ElementPath(IXMLDOMNode* element) {
    std::wstring path;
    element->AddRef();  // node holds a reference of its own
    ComPtr<IXMLDOMNode> node(element);
    DOMNodeType type = NODE_INVALID;
    while (node && SUCCEEDED(node->get_nodeType(&type)) && type == NODE_ELEMENT) {
        path = L"/" + NodeName(node.Get()) + path;
        ComPtr<IXMLDOMNode> parent;
        if (FAILED(node->get_parentNode(parent.Receive()))) break;
        node = std::move(parent);
    }
    return path;
}

}  // namespace

ProductlessRoot DescribeProductlessRoot(IXMLDOMNode* root) {
    ProductlessRoot described;
    described.rootName = NodeName(root);
    root->AddRef();  // the wrapper adopts a reference of its own
    CXmlNodeWrapper wrapper(root);
    CXmlNodeListWrapper deeper(wrapper.SelectNodes(L".//Product"));
    described.deeperProducts = static_cast<size_t>(deeper.GetCount());
    if (described.deeperProducts == 0) return described;
    ComPtr<IXMLDOMNode> first(deeper.GetNode(0));
    ComPtr<IXMLDOMNode> parent;
    if (first && SUCCEEDED(first->get_parentNode(parent.Receive())) && parent) {
        described.firstParent = ElementPath(parent.Get());
    }
    return described;
}
