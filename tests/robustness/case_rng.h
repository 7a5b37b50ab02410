#pragma once
// The harness's random source: splitmix64, so a case depends only on the run's
// seed and its own number and can be made again alone.
#include <cstdint>
#include <vector>

class CaseRng {
public:
    explicit CaseRng(uint64_t state) : m_state(state) {}
    uint64_t Next() {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    uint32_t Below(uint32_t limit) { return limit ? static_cast<uint32_t>(Next() % limit) : 0; }
    bool Percent(uint32_t chance) { return Below(100) < chance; }
    template <typename T>
    const T& Pick(const std::vector<T>& items) {
        return items[Below(static_cast<uint32_t>(items.size()))];
    }

private:
    uint64_t m_state;
};

inline uint64_t CaseSeed(uint64_t runSeed, uint32_t caseIndex) {
    CaseRng mix(runSeed * 0xD1B54A32D192ED03ull + caseIndex);
    return mix.Next();
}
