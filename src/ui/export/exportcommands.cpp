#include "ui/export/exportcommands.h"

#include "core/app/dialogs.h"
#include "ui/export/exportform.h"

#include <QTableView>

using namespace Qt::Literals::StringLiterals;

ExportCommands::ExportCommands(const CommandContext& context, const ExportActions& actions, const Controls& controls,
                               QObject* parent)
    : QObject(parent), m_ctx(context), m_controls(controls)
{
    setObjectName(u"ExportCommands"_s);
    m_ctx.bind(actions.ExporttoFile1, this, [this] { ExporttoFile1Click(); });
}

ExportCommands::~ExportCommands()
{
    for (const QPointer<TFormExport>& dialog : std::as_const(m_dialogs))
        delete dialog.data();
}

TFormExport* ExportCommands::lastDialog() const
{
    return m_dialogs.isEmpty() ? nullptr : m_dialogs.constLast().data();
}

void ExportCommands::ExporttoFile1Click()
{
    if (m_controls.list.view.model()->rowCount() == 0) {
        m_ctx.warn(u"No file added!"_s);
        return;
    }
    // Every opening starts from the defaults; nothing of an earlier export is remembered.
    m_dialogs.removeAll(nullptr);
    auto* dialog = new TFormExport(m_ctx, m_controls.list.records, m_controls.values, m_controls.mainWindow);
    m_dialogs.append(dialog);
    dialog->show();
}
