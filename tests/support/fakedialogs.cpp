#include "support/fakedialogs.h"

#include <QFileInfo>

namespace {

std::optional<QString> takeFront(std::deque<std::optional<QString>>& answers)
{
    if (answers.empty())
        return std::nullopt;
    const QString chosen = answers.front().value_or(QString());
    const bool cancelled = !answers.front().has_value();
    answers.pop_front();
    if (cancelled)
        return std::nullopt;
    return chosen;
}

} // namespace

int FakeDialogs::showMessage(const MessageBoxContent& box)
{
    messages.append(box);
    if (m_messageAnswers.empty())
        return ModalResult::Cancel;
    const int answer = m_messageAnswers.front();
    m_messageAnswers.pop_front();
    return answer;
}

std::optional<QString> FakeDialogs::chooseFolder(const FolderRequest& request)
{
    folderRequests.append(request);
    return takeFront(m_folderAnswers);
}

std::optional<SaveFileChoice> FakeDialogs::chooseSaveFile(const SaveFileRequest& request)
{
    saveRequests.append(request);
    std::optional<bool> confirm;
    if (!m_confirmAnswers.empty()) {
        confirm = m_confirmAnswers.front();
        m_confirmAnswers.pop_front();
    }
    const std::optional<QString> file = takeFront(m_saveAnswers);
    if (!file)
        return std::nullopt;
    return SaveFileChoice{*file, confirm.value_or(QFileInfo::exists(*file))};
}
