#include "ui/app/busycursor.h"

#include <QApplication>

void BusyCursor::Job::set(bool busy)
{
    if (busy == m_on)
        return;
    m_on = busy;
    if (busy)
        m_cursor.add();
    else
        m_cursor.remove();
}

void BusyCursor::add()
{
    if (m_jobs++ == 0)
        QApplication::setOverrideCursor(Qt::BusyCursor);
}

void BusyCursor::remove()
{
    if (--m_jobs == 0)
        QApplication::restoreOverrideCursor();
}
