#pragma once

#include <QString>
#include <QStringView>

// text without the blanks and control characters (codes up to 32) at both ends. Other Unicode white space, such as
// a no-break space, is kept.
QString TrimBlanksAndControls(QStringView text);
