// The message dialog in its three typical uses: a plain question, message lines as a
// small table, and records as a card. With a folder argument it saves a picture of
// each with its window frame (dialog-message.png, dialog-lines.png,
// dialog-record-card.png) and presses 確定 itself; without one the user answers each
// dialog.
#include "framedpicture.h"
#include "suiteframe/adodb/memoryrecordset.h"
#include "suiteframe/controls/fonts.h"
#include "suiteframe/dialogs/frmSure.h"
#include "suiteframe/frame/application.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTextStream>
#include <QTimer>

using dialogs::frmSure;
using platform::Value;

namespace {

QString g_folder;

// Saves the dialog once it is up and painted, then answers it.
void captureNext(const QString &fileName)
{
    if (g_folder.isEmpty())
        return;
    QTimer::singleShot(400, [fileName] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog)
            return captureNext(fileName);
        saveFramedPicture(dialog, QDir(g_folder).filePath(fileName));
        frmSure().cmdOK->click();
    });
}

bool plainMessage()
{
    frmSure().ClearMsgFrom();
    captureNext(QStringLiteral("dialog-message.png"));
    return frmSure().SHOWMSG(Value(u"確定要刪除這筆訂單嗎？\n刪除後無法復原。"),
                             Value(u"刪除訂單"),
                             Value(u"Y"),
                             nullptr,
                             std::nullopt,
                             std::nullopt,
                             Value(true));
}

bool messageLines()
{
    frmSure().ClearMsgFrom();
    frmSure().AddLine(Value(u"訂單編號\tA-20240105-001"));
    frmSure().AddLine(Value(u"客戶\t王小明"));
    frmSure().AddLine(Value(u"出貨日期\t2024/1/5"));
    frmSure().AddLine(Value(u"金額\t12500"));
    captureNext(QStringLiteral("dialog-lines.png"));
    return frmSure().SHOWMSG(Value(u"以下訂單將轉入應收帳款："),
                             Value(u"轉帳確認"),
                             Value(u"Y"),
                             nullptr,
                             Value(u"轉入"),
                             Value(u"暫不"));
}

bool recordCard()
{
    adodb::MemoryRecordset staff({QStringLiteral("編號"),
                                  QStringLiteral("姓名"),
                                  QStringLiteral("部門"),
                                  QStringLiteral("到職日"),
                                  QStringLiteral("分機")});
    staff.addRecord({Value(qint32(1024)),
                     Value(u"王小明"),
                     Value(u"業務部"),
                     Value(QDate(2019, 3, 1)),
                     Value(qint32(301))});
    staff.addRecord({Value(qint32(1025)),
                     Value(u"李大華"),
                     Value(u"會計部"),
                     Value(QDate(2020, 7, 15)),
                     Value::null()});
    staff.addRecord({Value(qint32(1031)),
                     Value(u"陳美玲"),
                     Value(u"資訊部"),
                     Value(QDate(2022, 11, 8)),
                     Value(qint32(512))});
    frmSure().ClearMsgFrom();
    captureNext(QStringLiteral("dialog-record-card.png"));
    return frmSure().SHOWMSG(Value(u"請確認以下員工資料："),
                             Value(u"員工資料"),
                             Value(u"N"),
                             &staff);
}

} // namespace

int main(int argc, char **argv)
{
    const std::unique_ptr<QApplication> application = frame::openDisplay(argc, argv);
    controls::installFontSubstitutes();
    if (argc > 1)
        g_folder = QString::fromLocal8Bit(argv[1]);
    QTextStream out(stdout);
    out << "message: " << plainMessage() << Qt::endl;
    out << "lines: " << messageLines() << Qt::endl;
    out << "record card: " << recordCard() << Qt::endl;
    return 0;
}
