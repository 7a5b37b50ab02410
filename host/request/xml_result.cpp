#include "request/xml_result.h"

XmlResult ParseDelivered(CXmlDocHolder& document, const std::wstring& text) {
    if (!document.HasDocument()) return XmlResult::NoParser;
    return document.LoadXml(text.c_str()) ? XmlResult::Ok : XmlResult::NotXml;
}
