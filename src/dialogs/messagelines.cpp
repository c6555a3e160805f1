// The message lines of the dialog: lines appended to the list, and clearing the
// dialog before a new use.
#include "suiteframe/dialogs/frmSure.h"

#include "suiteframe/base/failure.h"
#include "suiteframe/controls/grid.h"
#include "suiteframe/dialogs/messagepanel.h"
#include "suiteframe/platform/runtimeerror.h"

namespace dialogs {

// Each step that fails is reported and the next one runs all the same.
void FrmSure::AddLine(const platform::Value &pvLine)
{
    const QString procedure = QStringLiteral("frmSure_AddLine");
    std::optional<int> parts;
    failure::report(procedure, [&] {
        const QString line = pvLine.toText();
        parts = line.isEmpty() ? 0 : int(line.count(u'\t')) + 1;
    });
    failure::report(procedure, [&] {
        if (!parts)
            throw platform::RuntimeError(platform::ErrorNumber::SubscriptOutOfRange);
        fgList->setCols(*parts);
    });
    failure::report(procedure, [&] { fgList->appendRow(pvLine.toText()); });
    failure::report(procedure, [&] { fgList->autoSizeColumns(0, fgList->Cols() - 1); });
}

void FrmSure::ClearMsgFrom()
{
    failure::report(QStringLiteral("frmSure_ClearFrom"), [&] {
        elaMsg->setCaption(QString());
        fgList->setRows(0);
        fgList->setCols(0);
        fgList->setFixedCols(0);
        fgList->setFixedRows(0);
        fgList->setFontSize(12.0f);
    });
}

} // namespace dialogs
