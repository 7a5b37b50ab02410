#include "check/deeper_products.h"

namespace {

// The element names from the document element down to element (adopted),
// each after "/".
std::wstring ElementPath(IXMLDOMNode* element) {
    std::wstring path;
    for (IXMLDOMNode* next = element; next;) {
        CXmlNodeWrapper node(next);
        path = L"/" + node.GetName() + path;
        next = node.GetParentElement();
    }
    return path;
}

}  // namespace

ProductlessRoot DescribeProductlessRoot(CXmlNodeWrapper& root) {
    ProductlessRoot described;
    described.rootName = root.GetName();
    CXmlNodeListWrapper deeper(root.SelectNodes(L".//Product"));
    described.deeperProducts = static_cast<size_t>(deeper.GetCount());
    if (described.deeperProducts == 0) return described;
    CXmlNodeWrapper first(deeper.GetNode(0));
    if (IXMLDOMNode* parent = first.GetParentElement()) described.firstParent = ElementPath(parent);
    return described;
}
