#pragma once
// A moment fixed when an operation starts, after which it gives up: every
// step of the operation waits only for what is left, so no step can stretch
// the whole.
#include <windows.h>

#include <chrono>
#include <optional>

class Deadline {
public:
    explicit Deadline(DWORD fromNowMs)
        : m_end(std::chrono::steady_clock::now() + std::chrono::milliseconds(fromNowMs)) {}

    // Whole milliseconds left, rounded up so that a wait is never set to 0,
    // which can mean "no limit"; nothing once the moment has passed.
    std::optional<DWORD> Remaining() const {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(m_end - std::chrono::steady_clock::now());
        if (left.count() <= 0) return std::nullopt;
        return static_cast<DWORD>(left.count());
    }

private:
    std::chrono::steady_clock::time_point m_end;
};
