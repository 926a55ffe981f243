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
    if (m_saveAnswers.empty())
        return std::nullopt;
    const SaveAnswer answer = m_saveAnswers.front();
    m_saveAnswers.pop_front();
    QString file;
    if (answer.acceptProposal) {
        file = request.proposedName;
        if (!request.defaultExtension.isEmpty() && QFileInfo(file).suffix().isEmpty())
            file += u'.' + request.defaultExtension;
    } else if (answer.file) {
        file = *answer.file;
    } else {
        return std::nullopt;
    }
    return SaveFileChoice{file, answer.confirmReplace.value_or(QFileInfo::exists(file))};
}
