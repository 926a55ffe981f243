#pragma once

#include "core/app/dialogs.h"

#include <QList>
#include <QString>

#include <deque>
#include <optional>

// Dialogs answered from a script: each box takes the next preset answer, each file or folder dialog the next preset
// choice. Everything shown is recorded. A box without a preset answer is answered with Escape (Cancel).
class FakeDialogs final : public Dialogs
{
public:
    int showMessage(const MessageBoxSpec& box) override;
    std::optional<QString> chooseFolder(const FolderRequest& request) override;
    std::optional<QString> chooseSaveFile(const SaveFileRequest& request) override;

    void answerNextMessage(int result) { m_messageAnswers.push_back(result); }
    void chooseNextFolder(std::optional<QString> folder) { m_folderAnswers.push_back(std::move(folder)); }
    void chooseNextSaveFile(std::optional<QString> file) { m_saveAnswers.push_back(std::move(file)); }

    QList<MessageBoxSpec> messages;
    QList<FolderRequest> folderRequests;
    QList<SaveFileRequest> saveRequests;

private:
    std::deque<int> m_messageAnswers;
    std::deque<std::optional<QString>> m_folderAnswers;
    std::deque<std::optional<QString>> m_saveAnswers;
};
