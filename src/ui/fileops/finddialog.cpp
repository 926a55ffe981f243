#include "ui/fileops/finddialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

TFindDialog::TFindDialog(QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowCloseButtonHint)
{
    setObjectName(u"FindDialog1"_s);
    setWindowTitle(u"Find"_s);
    setModal(false);
    auto* label = new QLabel(u"Fi&nd what:"_s, this);
    m_text = new QLineEdit(this);
    m_text->setObjectName(u"FindText"_s);
    label->setBuddy(m_text);
    m_findNext = new QPushButton(u"&Find Next"_s, this);
    m_findNext->setObjectName(u"FindNext"_s);
    m_findNext->setDefault(true);
    m_cancel = new QPushButton(u"Cancel"_s, this);
    m_cancel->setObjectName(u"Cancel"_s);

    auto* row = new QHBoxLayout(this);
    row->addWidget(label);
    row->addWidget(m_text, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_findNext);
    buttons->addWidget(m_cancel);
    buttons->addStretch(1);
    row->addLayout(buttons);
    setFixedSize(sizeHint().expandedTo(QSize(360, 0)));

    connect(m_findNext, &QPushButton::clicked, this, [this] { emit find(m_text->text()); });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QString TFindDialog::findText() const
{
    return m_text->text();
}
