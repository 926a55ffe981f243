#pragma once

#include <mutex>
#include <optional>
#include <utility>

// A value handed from a worker thread to the user-interface thread. The worker puts it, then asks the event loop to
// take it; the value crosses under a std::mutex, which ThreadSanitizer sees, rather than inside Qt's event queue,
// which it does not (copies of implicitly shared Qt values would look like races otherwise).
template <typename T> class HandOff final
{
public:
    void put(T value)
    {
        std::lock_guard lock(m_mutex);
        m_value = std::move(value);
    }

    // The value put last, once; nothing when none is waiting.
    std::optional<T> take()
    {
        std::lock_guard lock(m_mutex);
        return std::exchange(m_value, std::nullopt);
    }

private:
    std::mutex m_mutex;
    std::optional<T> m_value;
};
