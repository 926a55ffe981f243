#include "core/app/windowstate.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

using namespace Qt::Literals::StringLiterals;

QString WindowState::FilePath(const QString& stateHome, const QString& companyName, const QString& productName)
{
    return QDir(stateHome).filePath(companyName + u'/' + productName + u"/window.ini"_s);
}

WindowState WindowState::Read(const QString& fileName)
{
    WindowState state;
    if (!QFileInfo(fileName).isFile())
        return state;
    const QSettings file(fileName, QSettings::IniFormat);
    if (const QRect geometry = file.value(u"Window/Geometry"_s).toRect(); geometry.isValid())
        state.geometry = geometry;
    state.maximized = file.value(u"Window/Maximized"_s).toBool();
    state.paneWidth = std::max(file.value(u"Window/PaneWidth"_s).toInt(), 0);
    state.columns = file.value(u"Window/Columns"_s).toByteArray();
    return state;
}

bool WindowState::write(const QString& fileName) const
{
    if (!QDir().mkpath(QFileInfo(fileName).path()))
        return false;
    QSettings file(fileName, QSettings::IniFormat);
    if (geometry)
        file.setValue(u"Window/Geometry"_s, *geometry);
    file.setValue(u"Window/Maximized"_s, maximized);
    file.setValue(u"Window/PaneWidth"_s, paneWidth);
    file.setValue(u"Window/Columns"_s, columns);
    file.sync();
    return file.status() == QSettings::NoError;
}
