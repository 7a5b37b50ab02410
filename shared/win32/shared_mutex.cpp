#include "win32/shared_mutex.h"

UniqueHandle CreateSharedMutex(const std::wstring& name) {
    SECURITY_DESCRIPTOR descriptor = {};
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, &descriptor, FALSE};
    return UniqueHandle(CreateMutexW(&attributes, FALSE, (L"Global\\" + name).c_str()));
}

MutexHold::MutexHold(HANDLE mutex, DWORD waitMs) : m_mutex(mutex) {
    if (!mutex) return;
    const DWORD outcome = WaitForSingleObject(m_mutex, waitMs);
    m_held = outcome == WAIT_OBJECT_0 || outcome == WAIT_ABANDONED;
    m_timedOut = outcome == WAIT_TIMEOUT;
}

MutexHold::~MutexHold() {
    if (m_held) ReleaseMutex(m_mutex);
}
