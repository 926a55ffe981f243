#include "support/fakedialogs.h"

int FakeDialogs::showMessage(const MessageBoxSpec& spec)
{
    messages.append(spec);
    if (m_messageAnswers.empty())
        return ModalResult::Cancel;
    const int answer = m_messageAnswers.front();
    m_messageAnswers.pop_front();
    return answer;
}

std::optional<QString> FakeDialogs::chooseFolder(const FolderRequest& request)
{
    folderRequests.append(request);
    if (m_folderAnswers.empty())
        return std::nullopt;
    auto answer = m_folderAnswers.front();
    m_folderAnswers.pop_front();
    return answer;
}

std::optional<QString> FakeDialogs::chooseSaveFile(const SaveFileRequest& request)
{
    saveRequests.append(request);
    if (m_saveAnswers.empty())
        return std::nullopt;
    auto answer = m_saveAnswers.front();
    m_saveAnswers.pop_front();
    return answer;
}
