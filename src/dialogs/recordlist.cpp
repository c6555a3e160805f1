// The record list of the dialog: the list's display settings, and a recordset listed
// on its side, one column per record beside the field names.
#include "suiteframe/dialogs/frmSure.h"

#include "suiteframe/adodb/recordset.h"
#include "suiteframe/base/failure.h"
#include "suiteframe/controls/grid.h"
#include "suiteframe/platform/runtimeerror.h"

#include <algorithm>

namespace dialogs {

namespace {

// A field's value written into its cell as its text: a text, a number or a date as the
// provider holds it where it can, without reading the field's value; any other field as
// its value.
void writeField(controls::Grid &grid, int row, int col, const adodb::Recordset &records)
{
    using Kind = adodb::StoredField::Kind;
    const adodb::StoredField field = records.storedField(row);
    switch (field.kind) {
    case Kind::Null:
        grid.setCellText(row, col, QAnyStringView());
        break;
    case Kind::Utf8:
        grid.setCellText(row, col, field.utf8);
        break;
    case Kind::Whole:
        grid.setCellValue(row, col, platform::Value(field.whole));
        break;
    case Kind::Real:
        grid.setCellValue(row, col, platform::Value(field.real));
        break;
    case Kind::Date:
        grid.setCellValue(row, col, platform::Value::fromDateSerial(field.real));
        break;
    case Kind::Other:
        grid.setCellValue(row, col, records.fieldValue(row));
        break;
    }
}

} // namespace

void FrmSure::SetList(const platform::Value &pvFixedCols,
                      const platform::Value &pvFixedRows,
                      const platform::Value &pvFontSize)
{
    failure::report(QStringLiteral("frmSure_SetList"), [&] {
        fgList->setFixedCols(pvFixedCols.toLong());
        fgList->setFixedRows(pvFixedRows.toLong());
        fgList->setFontSize(pvFontSize.toSingle());
    });
}

bool FrmSure::PickRST(adodb::Recordset *pRST)
{
    m_listCutShort = false;
    const bool listed = failure::report(QStringLiteral("frmSure_PickRST"), [&] {
        fgList->setCols(1);
        fgList->setRows(0);
        if (!pRST)
            throw platform::RuntimeError(platform::ErrorNumber::ObjectVariableNotSet);
        if (pRST->isEOF())
            return;
        const int fields = pRST->fieldCount();
        for (int i = 0; i < fields; ++i)
            fgList->appendRow(pRST->fieldName(i));
        fgList->setFixedCols(1);
        while (!pRST->isEOF()) {
            fgList->setCols(fgList->Cols() + 1);
            // Values read from the left, beside their names, as on a card.
            fgList->setColumnAlignment(fgList->Cols() - 1, controls::Grid::AlignLeftCenter);
            const int count = pRST->fieldCount();
            for (int j = 0; j < count; ++j)
                writeField(*fgList, j, fgList->Cols() - 1, *pRST);
            pRST->MoveNext();
        }
        fgList->autoSizeColumns(0, fgList->Cols() - 1);
    });
    // Records read before a failure (a damaged page of the database, say) stay listed,
    // but the card must not pass for the whole result.
    m_listCutShort = !listed && pRST;
    return false;
}

int FrmSure::listedRecords() const
{
    return std::max(fgList->Cols() - 1, 0);
}

QString FrmSure::cutShortNotice() const
{
    return QStringLiteral("（注意：讀取資料時發生錯誤，清單沒有讀完，只列出前 %1 筆；"
                          "原因記在錯誤記錄檔。）")
        .arg(listedRecords());
}

} // namespace dialogs
