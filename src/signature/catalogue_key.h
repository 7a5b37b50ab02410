#pragma once
// The host vendor's public key, which switches signature checks of
// downloaded catalogues on: "catalogue-key.pem" in ProductCfg beside the
// module.
#include <string>

// Where the module whose folder is moduleFolder reads its key; empty when
// the path would not fit.
std::wstring CatalogueKeyPathIn(std::wstring moduleFolder);

// The key's path beside the module, or empty when there is none. Anything of
// that name counts, a file that can't be read or a folder included: such a
// key refuses every download and never switches the check off.
std::wstring CatalogueKeyPath();
