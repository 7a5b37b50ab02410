#pragma once
// Reading one product's "Detect" element into its detection methods.
#include <string>
#include <vector>

#include "catalogue/product_record.h"

class CXmlNodeWrapper;

// Appends one DetectMethod per "Method" child of the "Detect" element given as
// its own XML text; text that does not load adds nothing.
void ParseDetectMethods(const std::wstring& detectXml, std::vector<DetectMethod>& methods);
void ReadRegistryFileMethod(CXmlNodeWrapper& method, std::vector<std::wstring>& params);
void ReadProcessMethod(CXmlNodeWrapper& method, std::vector<std::wstring>& params);

// File name of the catalogue for this process: the x64 one under WOW64.
const wchar_t* CatalogueFileName();
// Its full path in ProductCfg beside the module; empty when the module's
// folder is unknown or the path would pass the platform's limit.
std::wstring CataloguePath();
// The same beside the module file that lies in folder.
std::wstring CataloguePathIn(std::wstring folder);
