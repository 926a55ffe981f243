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
    int showMessage(const MessageBoxContent& box) override;
    std::optional<QString> chooseFolder(const FolderRequest& request) override;
    std::optional<SaveFileChoice> chooseSaveFile(const SaveFileRequest& request) override;

    void answerNextMessage(int result) { m_messageAnswers.push_back(result); }
    void chooseNextFolder(std::optional<QString> folder) { m_folderAnswers.push_back(std::move(folder)); }
    // The next save dialog chooses file; a file that exists then counts as one the user agreed to replace, unless
    // confirmReplace says otherwise.
    void chooseNextSaveFile(std::optional<QString> file, std::optional<bool> confirmReplace = std::nullopt)
    {
        m_saveAnswers.push_back(std::move(file));
        m_confirmAnswers.push_back(confirmReplace);
    }

    QList<MessageBoxContent> messages;
    QList<FolderRequest> folderRequests;
    QList<SaveFileRequest> saveRequests;

private:
    std::deque<int> m_messageAnswers;
    std::deque<std::optional<QString>> m_folderAnswers;
    std::deque<std::optional<QString>> m_saveAnswers;
    std::deque<std::optional<bool>> m_confirmAnswers;
};
