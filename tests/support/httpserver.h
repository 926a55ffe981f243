#pragma once

#include <QByteArray>
#include <QList>

#include <memory>
#include <thread>

class QTcpServer;

// An HTTP server on 127.0.0.1 for the tests of the online services. It runs on a thread of its own, so a test may
// block in a request on its own thread. The test's thread never posts to the server's event loop, and what the two
// share sits under a std::mutex, so ThreadSanitizer sees every hand-over. It answers every POST with the reply set last, records what it received,
// and drops a connection that starts a TLS handshake at once, so an https attempt against it fails without delay.
class LocalHttpServer final
{
public:
    struct Request
    {
        QByteArray method;
        QByteArray path;
        QByteArray headers; // the header lines as received
        QByteArray body;
    };

    enum class Mode
    {
        Answer,           // sends the reply
        AnswerAfterDelay, // sends the reply as setAnswerDelay says, the first piece a delay after the request
        NeverAnswer,      // reads the request and keeps the connection open without a word
    };

    LocalHttpServer();
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    // "127.0.0.1:port", the service host to give the program.
    QString host() const;
    quint16 port() const { return m_port; }

    void setReply(const QByteArray& body, int status = 200);
    void setMode(Mode mode);
    // For Mode::AnswerAfterDelay: the reply, headers and body, goes out in that many pieces of about equal size, the
    // first milliseconds after the request is complete and each further one milliseconds after the one before.
    void setAnswerDelay(int milliseconds, int pieces = 1);
    QList<Request> requests() const;
    // The number of connections that began a TLS handshake.
    int tlsAttempts() const;

    struct Shared; // what the server's thread and the test share

private:
    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
    quint16 m_port = 0;
};
