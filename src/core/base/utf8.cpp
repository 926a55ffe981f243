#include "core/base/utf8.h"

#include <QStringDecoder>

bool DecodeUtf8(QByteArrayView bytes, QString& text, bool keepByteOrderMark)
{
    // Stateless: a sequence cut off at the end is an error here, not the start of the next call's text.
    QStringConverter::Flags flags = QStringConverter::Flag::Stateless;
    if (keepByteOrderMark)
        flags |= QStringConverter::Flag::ConvertInitialBom;
    QStringDecoder decoder(QStringConverter::Utf8, flags);
    text.resize(decoder.requiredSpace(bytes.size()));
    const QChar* end = decoder.appendToBuffer(text.data(), bytes);
    text.truncate(end - text.constData());
    return !decoder.hasError();
}
