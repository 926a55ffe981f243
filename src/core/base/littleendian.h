#pragma once

#include <QByteArray>
#include <QStringView>

// Numbers as the binary formats the program writes store them (the records of an XLS workbook, the compound file
// around it, the version data block): unsigned, least significant byte first, whatever the machine's byte order.

void AppendUInt8(QByteArray& out, quint8 value);
void AppendUInt16LE(QByteArray& out, quint16 value);
void AppendUInt32LE(QByteArray& out, quint32 value);

// Overwrite the two or four bytes at offset, which out already holds: a value known only after what follows it.
void PutUInt16LE(QByteArray& out, qsizetype offset, quint16 value);
void PutUInt32LE(QByteArray& out, qsizetype offset, quint32 value);

// A length, count or position as the value of an unsigned field of Field's width (quint8, quint16 or quint32), so
// that none is cut to its low bits. One that does not fit raises TagscopeError "<what> is <value>, which does not fit
// its field (0 to <largest>).".
template <typename Field> Field FieldValue(qint64 value, QStringView what);
