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
        m_saveAnswers.push_back({std::move(file), confirmReplace, false});
    }
    // The next save dialog is answered as Enter answers it: the proposed name, with the default extension added when
    // it has none, and Enter again when the dialog asks whether to replace that file.
    void acceptNextProposal() { m_saveAnswers.push_back({std::nullopt, std::nullopt, true}); }

    QList<MessageBoxContent> messages;
    QList<FolderRequest> folderRequests;
    QList<SaveFileRequest> saveRequests;

private:
    std::deque<int> m_messageAnswers;
    std::deque<std::optional<QString>> m_folderAnswers;
    struct SaveAnswer
    {
        std::optional<QString> file; // nothing: cancelled
        std::optional<bool> confirmReplace;
        bool acceptProposal;
    };
    std::deque<SaveAnswer> m_saveAnswers;
};
