#pragma once

#include <QFrame>

class QLabel;

// A hint with a picture, a bold title and a description, shown at once below the control it explains. It never
// takes the keyboard focus.
class BalloonHint final : public QFrame
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BalloonHint)

public:
    explicit BalloonHint(QWidget* parent = nullptr);

    void setContent(const QString& title, const QString& description, const QIcon& picture);
    void showFor(QWidget* anchor);

    QString title() const;
    QString description() const;

private:
    QLabel* m_picture;
    QLabel* m_title;
    QLabel* m_description;
};
