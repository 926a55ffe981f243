#include "ui/app/splitpane.h"

#include <QSplitter>

void SetPaneWidth(QSplitter& splitter, QWidget& pane, int width)
{
    pane.resize(width, pane.height());
    if (pane.isVisible())
        splitter.setSizes({splitter.width() - width - splitter.handleWidth(), width});
}
