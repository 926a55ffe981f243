#pragma once

#include <QByteArray>
#include <QString>

// A compound file (the container of Office 97-2003 documents, version 3 with 512-byte sectors) holding one stream
// under the root storage. A stream shorter than 4,096 bytes would belong in the mini stream; it is padded with zero
// bytes to that length instead, which the formats stored this way ignore after their last record.
QByteArray CompoundFileWithStream(const QString& streamName, QByteArray stream);
