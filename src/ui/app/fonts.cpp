#include "ui/app/fonts.h"

using namespace Qt::Literals::StringLiterals;

QFont PixelFont(const QString& family, int pixels, bool bold)
{
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    if (family == u"Consolas"_s)
        font.setStyleHint(QFont::TypeWriter);
    return font;
}

QFont Tahoma(int pixels, bool bold)
{
    return PixelFont(u"Tahoma"_s, pixels, bold);
}
