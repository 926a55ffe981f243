#include "core/base/handoff.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

// What the posting threads share with the child of the receiver that receives the events.
struct QueuedCallState
{
    std::mutex mutex;
    QObject* target = nullptr; // null once the receiver is destroyed
};

namespace {

const QEvent::Type kCallEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

// Lives on the receiver's thread as its child, so that it ends with the receiver, and runs the call for each event.
class QueuedCallTarget final : public QObject
{
    Q_DISABLE_COPY_MOVE(QueuedCallTarget)

public:
    QueuedCallTarget(QObject* receiver, std::shared_ptr<QueuedCallState> state, std::function<void()> call)
        : QObject(receiver), m_state(std::move(state)), m_call(std::move(call))
    {
        std::lock_guard lock(m_state->mutex);
        m_state->target = this;
    }

    // A post under way ends before the target goes; the posts after it see that it has gone. The events still queued
    // go with the object.
    ~QueuedCallTarget() override
    {
        std::lock_guard lock(m_state->mutex);
        m_state->target = nullptr;
    }

protected:
    bool event(QEvent* event) override
    {
        {
            // The event was made and posted under this lock. Taking it shows ThreadSanitizer that the event's memory
            // came over from the posting thread, which Qt's event queue does out of its sight.
            std::lock_guard lock(m_state->mutex);
        }
        if (event->type() != kCallEvent)
            return QObject::event(event);
        m_call();
        return true;
    }

private:
    std::shared_ptr<QueuedCallState> m_state;
    std::function<void()> m_call;
};

} // namespace

QueuedCall::QueuedCall(QObject* receiver, std::function<void()> call) : m_state(std::make_shared<QueuedCallState>())
{
    Q_ASSERT(receiver);
    new QueuedCallTarget(receiver, m_state, std::move(call));
}

void QueuedCall::post() const
{
    std::lock_guard lock(m_state->mutex);
    if (m_state->target)
        QCoreApplication::postEvent(m_state->target, new QEvent(kCallEvent));
}
