#pragma once

#include <QByteArrayView>
#include <QString>

// Decodes bytes as UTF-8 into text, whose memory is reused from call to call; returns whether the bytes are valid
// UTF-8 throughout: no byte outside a well-formed sequence, no overlong form, no encoded surrogate, nothing past
// U+10FFFF, no sequence cut off at the end. What is not valid comes out as U+FFFD. A byte-order mark at the
// start is dropped, as QString::fromUtf8 drops it, unless keepByteOrderMark: a file name may begin with U+FEFF.
bool DecodeUtf8(QByteArrayView bytes, QString& text, bool keepByteOrderMark = false);
