#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

class QObject;
struct QueuedCallState;

// Values handed from worker threads to the user-interface thread, taken in the order they were put. They cross under
// a std::mutex, which ThreadSanitizer sees, rather than inside Qt's event queue, which it does not (copies of
// implicitly shared Qt values would look like races otherwise).
template <typename T> class HandOff final
{
public:
    void put(T value)
    {
        std::lock_guard lock(m_mutex);
        m_values.push_back(std::move(value));
    }

    // The oldest value not yet taken; nothing when none is waiting.
    std::optional<T> take()
    {
        std::lock_guard lock(m_mutex);
        if (m_values.empty())
            return std::nullopt;
        std::optional<T> value(std::move(m_values.front()));
        m_values.pop_front();
        return value;
    }

private:
    std::mutex m_mutex;
    std::deque<T> m_values;
};

// Runs a function on a receiver's thread once for every call of post(), which any thread may make, for as long as the
// receiver lives. Each post is a plain event to a child object of the receiver: no function object made by the
// posting thread crosses over, and the child's end, guarded by a std::mutex, tells the posting threads that the
// receiver is gone.
class QueuedCall final
{
public:
    // Made on the receiver's thread.
    QueuedCall(QObject* receiver, std::function<void()> call);

    // Any thread; does nothing once the receiver is destroyed.
    void post() const;

private:
    std::shared_ptr<QueuedCallState> m_state;
};

// Posts values from any thread to a receiver, where the handler takes them: every value posted reaches the handler
// once, in the order of posting, on the receiver's thread, unless the receiver is destroyed first (or take() took it).
// Copies post to the same receiver, so a worker that may outlive the receiver can hold one; what it posts after the
// receiver's end is dropped. Make it on the receiver's thread; the handler must not throw.
template <typename T> class QueuedHandOff final
{
public:
    template <typename Handler>
    QueuedHandOff(QObject* receiver, Handler handler)
        : m_values(std::make_shared<HandOff<T>>()),
          m_call(receiver, [values = m_values, handler = std::move(handler)]() mutable {
              if (std::optional<T> value = values->take())
                  handler(std::move(*value));
          })
    {}

    void post(T value) const
    {
        m_values->put(std::move(value));
        m_call.post();
    }

    // The oldest value posted that the handler has not taken: for a receiver that has ended its worker and wants
    // what the event loop has not brought yet. The handler then never gets it.
    std::optional<T> take() const { return m_values->take(); }

private:
    std::shared_ptr<HandOff<T>> m_values;
    QueuedCall m_call;
};
