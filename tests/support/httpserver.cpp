#include "httpserver.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>

using namespace Qt::Literals::StringLiterals;

struct LocalHttpServer::Shared
{
    mutable std::mutex mutex;
    std::condition_variable listening;
    bool ready = false;
    std::atomic<bool> stop{false};
    QByteArray reply;
    int status = 200;
    Mode mode = Mode::Answer;
    int delay = 0; // milliseconds before each piece of a delayed answer
    int pieces = 1;
    QList<Request> requests;
    int tlsAttempts = 0;
};

namespace {

// The bytes of one connection until its request is complete.
bool completeRequest(const QByteArray& data, LocalHttpServer::Request& request)
{
    const qsizetype end = data.indexOf("\r\n\r\n");
    if (end < 0)
        return false;
    const QByteArray head = data.left(end);
    const QList<QByteArray> lines = head.split('\n');
    const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
    qsizetype length = 0;
    for (const QByteArray& line : lines) {
        if (line.toLower().startsWith("content-length:"))
            length = line.mid(15).trimmed().toLongLong();
    }
    if (data.size() < end + 4 + length)
        return false;
    request.method = first.value(0);
    request.path = first.value(1);
    request.headers = head.mid(head.indexOf('\n') + 1);
    request.body = data.mid(end + 4, length);
    return true;
}

QByteArray statusText(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

} // namespace

class HttpServerWorker final : public QObject
{
public:
    explicit HttpServerWorker(std::shared_ptr<LocalHttpServer::Shared> shared) : m_shared(std::move(shared)) {}

    quint16 listen()
    {
        m_server = new QTcpServer(this);
        if (!m_server->listen(QHostAddress::LocalHost, 0))
            return 0;
        connect(m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server->nextPendingConnection())
                serve(socket);
        });
        return m_server->serverPort();
    }

private:
    void serve(QTcpSocket* socket)
    {
        auto buffer = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
            const bool first = buffer->isEmpty();
            buffer->append(socket->readAll());
            if (!buffer->isEmpty() && buffer->at(0) == '\x16') { // a TLS handshake record
                std::unique_lock lock(m_shared->mutex);
                if (first)
                    ++m_shared->tlsAttempts;
                if (m_shared->mode == LocalHttpServer::Mode::Answer) {
                    lock.unlock();
                    socket->abort();
                }
                return;
            }
            LocalHttpServer::Request request;
            if (!completeRequest(*buffer, request))
                return;
            std::unique_lock lock(m_shared->mutex);
            m_shared->requests.append(request);
            if (m_shared->mode == LocalHttpServer::Mode::NeverAnswer)
                return;
            const QByteArray reply = m_shared->reply;
            const int status = m_shared->status;
            const bool delayed = m_shared->mode == LocalHttpServer::Mode::AnswerAfterDelay;
            const int delay = m_shared->delay;
            const int pieces = m_shared->pieces;
            lock.unlock();
            const QByteArray answer =
                "HTTP/1.1 " + QByteArray::number(status) + ' ' + statusText(status) +
                "\r\nContent-Type: text/plain\r\nContent-Length: " + QByteArray::number(reply.size()) +
                "\r\nConnection: close\r\n\r\n" + reply;
            if (delayed) {
                sendLater(socket, answer, delay, std::max(1, pieces));
                return;
            }
            socket->write(answer);
            socket->disconnectFromHost();
        });
    }

    // Sends the first of pieces parts of answer after delay milliseconds, and the rest in turn, each delay later.
    void sendLater(QTcpSocket* socket, const QByteArray& answer, int delay, int pieces)
    {
        QTimer::singleShot(delay, Qt::PreciseTimer, socket, [this, socket, answer, delay, pieces] {
            if (socket->state() != QAbstractSocket::ConnectedState)
                return;
            const qsizetype size = pieces > 1 ? answer.size() / pieces : answer.size();
            socket->write(answer.left(size));
            socket->flush();
            if (pieces > 1)
                sendLater(socket, answer.mid(size), delay, pieces - 1);
            else
                socket->disconnectFromHost();
        });
    }

    std::shared_ptr<LocalHttpServer::Shared> m_shared;
    QTcpServer* m_server = nullptr;
};

LocalHttpServer::LocalHttpServer() : m_shared(std::make_shared<Shared>())
{
    m_thread = std::thread([this, shared = m_shared] {
        QEventLoop loop;
        HttpServerWorker worker(shared);
        const quint16 port = worker.listen();
        {
            std::lock_guard lock(shared->mutex);
            m_port = port;
            shared->ready = true;
        }
        shared->listening.notify_one();
        // The loop ends itself when asked to stop: a wake-up posted from the test's thread is a hand-over that
        // ThreadSanitizer cannot see inside Qt.
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&loop, shared] {
            if (shared->stop)
                loop.quit();
        });
        poll.start(20);
        loop.exec();
    });
    std::unique_lock lock(m_shared->mutex);
    m_shared->listening.wait(lock, [this] { return m_shared->ready; });
}

LocalHttpServer::~LocalHttpServer()
{
    m_shared->stop = true;
    m_thread.join();
}

QString LocalHttpServer::host() const
{
    return u"127.0.0.1:"_s + QString::number(m_port);
}

void LocalHttpServer::setReply(const QByteArray& body, int status)
{
    std::unique_lock lock(m_shared->mutex);
    m_shared->reply = body;
    m_shared->status = status;
}

void LocalHttpServer::setMode(Mode mode)
{
    std::unique_lock lock(m_shared->mutex);
    m_shared->mode = mode;
}

void LocalHttpServer::setAnswerDelay(int milliseconds, int pieces)
{
    std::unique_lock lock(m_shared->mutex);
    m_shared->delay = milliseconds;
    m_shared->pieces = pieces;
}

QList<LocalHttpServer::Request> LocalHttpServer::requests() const
{
    std::unique_lock lock(m_shared->mutex);
    return m_shared->requests;
}

int LocalHttpServer::tlsAttempts() const
{
    std::unique_lock lock(m_shared->mutex);
    return m_shared->tlsAttempts;
}
