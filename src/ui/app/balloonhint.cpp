#include "ui/app/balloonhint.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QScreen>

using namespace Qt::Literals::StringLiterals;

BalloonHint::BalloonHint(QWidget* parent)
    : QFrame(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus), m_picture(new QLabel(this)),
      m_title(new QLabel(this)), m_description(new QLabel(this))
{
    setObjectName(u"BalloonHint1"_s);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFrameShape(QFrame::Box);
    setForegroundRole(QPalette::ToolTipText);
    setBackgroundRole(QPalette::ToolTipBase);
    setAutoFillBackground(true);

    QFont titleFont = m_title->font();
    titleFont.setBold(true);
    m_title->setFont(titleFont);
    m_description->setWordWrap(true);
    m_description->setTextFormat(Qt::PlainText);
    m_title->setTextFormat(Qt::PlainText);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(m_picture, 0, 0, 2, 1, Qt::AlignTop);
    layout->addWidget(m_title, 0, 1);
    layout->addWidget(m_description, 1, 1);
    layout->setColumnStretch(1, 1);
}

void BalloonHint::setContent(const QString& title, const QString& description, const QIcon& picture)
{
    m_title->setText(title);
    QString text = description;
    text.replace(u'\r', u'\n');
    m_description->setText(text);
    m_picture->setPixmap(picture.pixmap(64, 64));
    m_description->setMinimumWidth(m_description->fontMetrics().horizontalAdvance(title));
    adjustSize();
}

void BalloonHint::showFor(QWidget* anchor)
{
    QPoint at = anchor->mapToGlobal(QPoint(0, anchor->height()));
    if (const QScreen* screen = anchor->screen()) {
        const QRect area = screen->availableGeometry();
        at.setX(qBound(area.left(), at.x(), qMax(area.left(), area.right() - width())));
        if (at.y() + height() > area.bottom())
            at.setY(anchor->mapToGlobal(QPoint(0, 0)).y() - height());
    }
    move(at);
    show();
    raise();
}

QString BalloonHint::title() const
{
    return m_title->text();
}

QString BalloonHint::description() const
{
    return m_description->text();
}
