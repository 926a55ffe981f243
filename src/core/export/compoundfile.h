#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class QIODevice;

// Writes a compound file (the container of Office 97-2003 documents, version 3 with 512-byte sectors) holding one
// stream under the root storage, the stream being the parts one after the other. A stream shorter than 4,096 bytes
// would belong in the mini stream; it is padded with zero bytes to that length instead, which the formats stored
// this way ignore after their last record. False when out fails to take the bytes. A stream name longer than 31
// characters or a stream of 4 GiB or more, which the directory cannot describe, raises TagscopeError before anything is
// written.
bool WriteCompoundFile(QIODevice& out, const QString& streamName, const QList<QByteArray>& streamParts);
