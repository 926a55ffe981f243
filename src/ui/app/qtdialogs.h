#pragma once

#include "core/app/dialogs.h"

// The dialogs as the user sees them: Qt message boxes and file dialogs.
class QtDialogs final : public Dialogs
{
public:
    int showMessage(const MessageBoxContent& request) override;
    std::optional<QString> chooseFolder(const FolderRequest& request) override;
    std::optional<SaveFileChoice> chooseSaveFile(const SaveFileRequest& request) override;
};

// Turns "TXT File (*.txt)|*.txt|Any File (*.*)|*.*" into Qt name filters ("TXT File (*.txt)", "Any File (*)"):
// "*.*" means any file, also one without a dot.
QStringList QtNameFilters(const QString& filter);
// The extension a name typed without one gets when the filter's index-th file type is chosen: that type's own when
// its pattern is one "*.ext", otherwise (as for "*.*") defaultExtension.
QString FilterExtension(const QString& filter, qsizetype index, const QString& defaultExtension);
