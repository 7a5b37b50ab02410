#include "signature/crypt32_functions.h"

#include "win32/library_function.h"
#include "win32/system_library.h"

bool Crypt32Functions::Bind() {
    m_library = LoadSystemLibrary(L"crypt32.dll");
    stringToBinary = LibraryFunction<decltype(stringToBinary)>(m_library.Get(), "CryptStringToBinaryA");
    decodeObject = LibraryFunction<decltype(decodeObject)>(m_library.Get(), "CryptDecodeObjectEx");
    importPublicKeyInfo = LibraryFunction<decltype(importPublicKeyInfo)>(m_library.Get(), "CryptImportPublicKeyInfo");
    return stringToBinary && decodeObject && importPublicKeyInfo;
}
