#include "heap_use.h"

#include <windows.h>

#include <cstdlib>
#include <thread>
#include <vector>

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

// Blocks up to the low-fragmentation front end's largest size, enough of each
// at once that a size gets its groups.
constexpr size_t kLargestPrimedSize = 16 * 1024;
constexpr int kBlocksPerSize = 24;

void PrimeOnThisThread() {
    std::vector<void*> fromRuntime(kBlocksPerSize);
    std::vector<void*> fromProcessHeap(kBlocksPerSize);
    const HANDLE processHeap = GetProcessHeap();
    for (size_t size = 8; size <= kLargestPrimedSize; size += 8) {
        for (int i = 0; i < kBlocksPerSize; ++i) {
            fromRuntime[i] = std::malloc(size);
            fromProcessHeap[i] = HeapAlloc(processHeap, 0, size);
        }
        for (int i = 0; i < kBlocksPerSize; ++i) {
            std::free(fromRuntime[i]);
            if (fromProcessHeap[i]) HeapFree(processHeap, 0, fromProcessHeap[i]);
        }
    }
}

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

void PrimeHeapBlockGroups(int threads) {
    std::vector<std::thread> running;
    for (int i = 0; i < threads; ++i) running.emplace_back(PrimeOnThisThread);
    for (std::thread& thread : running) thread.join();
}
