#include "signature/crypt32_functions.h"

#include "win32/system_library.h"

namespace {

// GetProcAddress gives a FARPROC; going through void* is the usual route.
template <typename Function>
bool BindFunction(HMODULE library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
    return function != nullptr;
}

}  // namespace

bool Crypt32Functions::Bind() {
    m_library = LoadSystemLibrary(L"crypt32.dll");
    return m_library && BindFunction(m_library.Get(), "CryptStringToBinaryA", stringToBinary) &&
           BindFunction(m_library.Get(), "CryptDecodeObjectEx", decodeObject) &&
           BindFunction(m_library.Get(), "CryptImportPublicKeyInfo", importPublicKeyInfo);
}
