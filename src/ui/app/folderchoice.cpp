#include "ui/app/folderchoice.h"

#include "core/base/paths.h"
#include "core/base/trim.h"
#include "ui/app/settingsfile.h"

#include <QLabel>

using namespace Qt::Literals::StringLiterals;

FolderChoice::FolderChoice(QLabel& label, SettingsFile& settings) : m_label(label), m_settings(settings) {}

void FolderChoice::show(const QString& folder)
{
    m_folder = folder;
    m_label.setText(folder);
}

void FolderChoice::choose(const QString& folder)
{
    m_folder = folder;
    AddMyFolder(folder);
}

void FolderChoice::AddMyFolder(QString folder)
{
    if (TrimBlanksAndControls(folder).isEmpty())
        return;
    folder = WithoutTrailingSeparator(folder);
    m_settings.write(u"LastFolderInput"_s, folder);
    m_label.setText(folder);
    m_label.setToolTip(m_label.text());
}
