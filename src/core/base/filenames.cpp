#include "core/base/filenames.h"

#include "core/base/utf8.h"

namespace {

constexpr char16_t kFirstEscape = 0xDC80;
constexpr char16_t kLastEscape = 0xDCFF;

bool isEscape(char16_t c)
{
    return c >= kFirstEscape && c <= kLastEscape;
}

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// The length of the valid UTF-8 sequence at bytes[i], or 0 when none starts there: a truncated sequence, an overlong
// form, a surrogate or a code point past U+10FFFF is not UTF-8.
qsizetype sequenceLength(QByteArrayView bytes, qsizetype i)
{
    const auto at = [&](qsizetype k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char lead = at(i);
    const qsizetype left = bytes.size() - i;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return left >= 2 && isContinuation(at(i + 1)) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (left < 3 || !isContinuation(at(i + 1)) || !isContinuation(at(i + 2)))
            return 0;
        if ((lead == 0xE0 && at(i + 1) < 0xA0) || (lead == 0xED && at(i + 1) >= 0xA0))
            return 0;
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (left < 4 || !isContinuation(at(i + 1)) || !isContinuation(at(i + 2)) || !isContinuation(at(i + 3)))
            return 0;
        if ((lead == 0xF0 && at(i + 1) < 0x90) || (lead == 0xF4 && at(i + 1) >= 0x90))
            return 0;
        return 4;
    }
    return 0;
}

} // namespace

QString DecodeFileName(QByteArrayView bytes)
{
    QString text;
    if (DecodeUtf8(bytes, text, true))
        return text;
    text.clear();
    text.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size();) {
        const qsizetype length = sequenceLength(bytes, i);
        if (length == 0) {
            text += QChar(char16_t(0xDC00 + static_cast<unsigned char>(bytes[i])));
            ++i;
        } else {
            // Not QString::fromUtf8, which drops U+FEFF at the start of what it is given.
            QString piece;
            DecodeUtf8(bytes.sliced(i, length), piece, true);
            text += piece;
            i += length;
        }
    }
    return text;
}

bool HoldsForeignBytes(QStringView name)
{
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < name.size() && QChar::isLowSurrogate(name[i + 1].unicode()))
            ++i;
        else if (isEscape(c))
            return true;
    }
    return false;
}

QByteArray EncodeFileName(QStringView name)
{
    if (!HoldsForeignBytes(name))
        return name.toUtf8();
    QByteArray bytes;
    bytes.reserve(name.size() * 3);
    qsizetype plainStart = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < name.size() && QChar::isLowSurrogate(name[i + 1].unicode())) {
            ++i;
        } else if (isEscape(c)) {
            bytes += name.sliced(plainStart, i - plainStart).toUtf8();
            bytes += char(c - 0xDC00);
            plainStart = i + 1;
        }
    }
    bytes += name.sliced(plainStart).toUtf8();
    return bytes;
}

QString ShownFileName(const QString& name)
{
    if (!HoldsForeignBytes(name))
        return name;
    QString shown = name;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const char16_t c = shown[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < shown.size() && QChar::isLowSurrogate(shown[i + 1].unicode()))
            ++i;
        else if (isEscape(c))
            shown[i] = QChar::ReplacementCharacter;
    }
    return shown;
}

QUrl LocalFileUrl(const QString& path)
{
    if (!HoldsForeignBytes(path))
        return QUrl::fromLocalFile(path);
    return QUrl::fromEncoded(QByteArray("file://") + EncodeFileName(path).toPercentEncoding("/"));
}
