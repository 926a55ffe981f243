#include "core/base/littleendian.h"

#include "core/base/errors.h"

#include <QtEndian>

#include <limits>

using namespace Qt::Literals::StringLiterals;

void AppendUInt8(QByteArray& out, quint8 value)
{
    out.append(char(value));
}

void AppendUInt16LE(QByteArray& out, quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

void AppendUInt32LE(QByteArray& out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

void PutUInt16LE(QByteArray& out, qsizetype offset, quint16 value)
{
    Q_ASSERT(offset >= 0 && offset + 2 <= out.size());
    qToLittleEndian(value, out.data() + offset);
}

void PutUInt32LE(QByteArray& out, qsizetype offset, quint32 value)
{
    Q_ASSERT(offset >= 0 && offset + 4 <= out.size());
    qToLittleEndian(value, out.data() + offset);
}

template <typename Field> Field FieldValue(qint64 value, QStringView what)
{
    constexpr qint64 largest = std::numeric_limits<Field>::max();
    if (value < 0 || value > largest)
        throw TagscopeError(u"%1 is %2, which does not fit its field (0 to %3)."_s.arg(what).arg(value).arg(largest));
    return Field(value);
}

template quint8 FieldValue<quint8>(qint64, QStringView);
template quint16 FieldValue<quint16>(qint64, QStringView);
template quint32 FieldValue<quint32>(qint64, QStringView);
