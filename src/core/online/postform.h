#pragma once

#include <QString>
#include <QStringList>

#include <atomic>

// The most of a reply that is kept; a longer reply fails the transfer rather than filling memory.
constexpr qsizetype kMaxReplyBytes = 1024 * 1024;

// Posts fields ("name=value" lines, in order) to address as an application/x-www-form-urlencoded body, names and
// values encoded as UTF-8, with the header "Connection: close", and returns the reply body decoded as UTF-8.
// timeoutSeconds bounds the connection, and the wait for the reply from the moment the request has gone out and
// again from each piece of it received; the whole transfer is bounded by twice that. Over https an HTTP error status
// still returns its body; over plain http it fails. Throws TagscopeError with libcurl's reason when the transfer
// fails, when the reply is late, and also when cancel becomes true while it runs.
QString PostForm(const QString& address, const QStringList& fields, int timeoutSeconds,
                 const std::atomic<bool>* cancel = nullptr);

// The form body PostForm sends: each line split at its first "=", both sides percent-encoded as UTF-8, joined by
// "&". A line without "=" is sent as a name with an empty value.
QByteArray FormBody(const QStringList& fields);
