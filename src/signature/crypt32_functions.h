#pragma once
// The functions of crypt32.dll that reading a vendor's key needs, bound at
// run time from the system folder: only a module with a key loads the
// library, so a host that signs nothing runs as it did without signatures.
#include <windows.h>
#include <wincrypt.h>

#include "win32/win_owners.h"

class Crypt32Functions {
public:
    // False when the library or one of the functions is missing.
    bool Bind();

    decltype(&CryptStringToBinaryA) stringToBinary = nullptr;
    decltype(&CryptDecodeObjectEx) decodeObject = nullptr;
    decltype(&CryptImportPublicKeyInfo) importPublicKeyInfo = nullptr;

private:
    UniqueModule m_library;
};
