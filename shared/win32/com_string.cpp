#include "win32/com_string.h"

BSTR AllocComString(const wchar_t* text) {
    if (!text) return nullptr;
    BSTR copy = SysAllocString(text);
    if (!copy) throw CAtlException(E_OUTOFMEMORY);
    return copy;
}
