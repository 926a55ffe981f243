#pragma once

#include <QList>
#include <QStringView>

// text split at CR LF, CR or LF; a final line break does not make an extra empty line. The views point into text.
QList<QStringView> SplitTextLines(QStringView text);
