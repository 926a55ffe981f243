#include "ui/app/statuspanels.h"

#include <QLabel>
#include <QStatusBar>

using namespace Qt::Literals::StringLiterals;

StatusPanels::StatusPanels(QStatusBar& bar) : m_panel0(new QLabel(&bar)), m_panel1(new QLabel(&bar))
{
    m_panel0->setObjectName(u"StatusPanel0"_s);
    // 300 pixels, and wider when a scan's text tells what it left out.
    m_panel0->setMinimumWidth(300);
    m_panel1->setObjectName(u"StatusPanel1"_s);
    m_panel1->setMinimumWidth(50);
    for (QLabel* panel : {m_panel0, m_panel1})
        panel->setTextFormat(Qt::PlainText);
    bar.addWidget(m_panel0);
    bar.addWidget(m_panel1, 1);
}

QLabel* StatusPanels::label(int panel) const
{
    return panel == 0 ? m_panel0 : m_panel1;
}

QString StatusPanels::text(int panel) const
{
    return label(panel)->text();
}

void StatusPanels::setText(int panel, const QString& text)
{
    // A line break (a folder's name may hold one) would push the rest of the text out of the panel: it is drawn as
    // its visible symbol.
    QString oneLine = text;
    oneLine.replace(u'\n', QChar(0x2424)).replace(u'\r', QChar(0x240D));
    label(panel)->setText(oneLine);
    label(panel)->setToolTip(text);
}
