#include "heap_use.h"

#include <windows.h>

namespace {

// Holds a heap's lock for a walk.
class HeapWalkLock {
public:
    explicit HeapWalkLock(HANDLE heap) : m_heap(heap), m_locked(HeapLock(heap) != FALSE) {}
    ~HeapWalkLock() {
        if (m_locked) HeapUnlock(m_heap);
    }
    HeapWalkLock(const HeapWalkLock&) = delete;
    HeapWalkLock& operator=(const HeapWalkLock&) = delete;
    bool Locked() const { return m_locked; }

private:
    HANDLE m_heap;
    bool m_locked;
};

}  // namespace

size_t HeapBytesInUse(void) {
    HANDLE heaps[256];
    const DWORD count = GetProcessHeaps(256, heaps);
    size_t total = 0;
    for (DWORD i = 0; i < count && i < 256; ++i) {
        HeapWalkLock lock(heaps[i]);
        if (!lock.Locked()) continue;
        PROCESS_HEAP_ENTRY entry = {};
        while (HeapWalk(heaps[i], &entry)) {
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) total += entry.cbData;
        }
    }
    return total;
}
