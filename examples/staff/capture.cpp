// Takes the pictures of the reference program for the README: the record card of a
// query, the main window with the record loaded, a field refused before the question,
// and the save of a record that another clerk saved first (staff-card.png,
// staff-main.png, staff-validation.png, staff-conflict.png in the folder given). Run it
// on a display with a window manager, with the XDG folders pointing at a fresh place so
// that the sample records are there.
#include "framedpicture.h"
#include "staffdatabase.h"
#include "staffwindow.h"

#include <suiteframe/adodb/command.h>
#include <suiteframe/adodb/connection.h>
#include <suiteframe/adodb/queryrecordset.h>
#include <suiteframe/base/failure.h>
#include <suiteframe/database/basADODB.h>
#include <suiteframe/dialogs/frmSure.h>

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <functional>

namespace {

QString g_folder;

// Once the message dialog is up and painted: its picture when a name is given, then
// its first or second button, then what comes next.
void answerNextDialog(const QString &picture, bool ok, std::function<void()> next = {})
{
    QTimer::singleShot(600, [picture, ok, next] {
        dialogs::FrmSure &dialog = dialogs::frmSure();
        if (QApplication::activeModalWidget() != &dialog || !dialog.isVisible())
            return answerNextDialog(picture, ok, next);
        if (!picture.isEmpty())
            saveFramedPicture(&dialog, QDir(g_folder).filePath(picture));
        (ok ? dialog.cmdOK : dialog.cmdCancel)->click();
        if (next)
            next();
    });
}

// Another clerk's save of the record, straight into the database; a failure is reported,
// since the picture of the conflict would show none.
void anotherClerkSaves(const QString &id)
{
    std::unique_ptr<adodb::Connection> connection;
    if (!basADODB::ConnectADO(platform::Value(staff::embeddedConnectionString()), connection))
        return;
    failure::report(QStringLiteral("anotherClerkSaves"), [&] {
        adodb::Command save(*connection,
                            QStringLiteral("UPDATE staff SET salary = 53000, "
                                           "version = version + 1 WHERE id = ?"));
        save.appendParameter(platform::Value(id));
        save.Execute();
    });
}

class CaptureWindow : public StaffWindow
{
protected:
    void InitForm() override
    {
        StaffWindow::InitForm();
        QTimer::singleShot(600, this, [this] {
            txtId->clear();
            txtName->setText(QStringLiteral("黃"));
            answerNextDialog(QStringLiteral("staff-card.png"), true);
            cmdQuery->click();
            txtSalary->setFocus();
            QTimer::singleShot(600, this, [this] { takeTheRest(); });
        });
    }

private:
    void takeTheRest()
    {
        saveFramedPicture(this, QDir(g_folder).filePath(QStringLiteral("staff-main.png")));

        const QString salary = txtSalary->text();
        txtSalary->setText(QStringLiteral("五萬"));
        answerNextDialog(QStringLiteral("staff-validation.png"), true);
        cmdSave->click();
        txtSalary->setText(salary);

        anotherClerkSaves(txtId->text());
        txtNote->setText(QStringLiteral("會計課，兼任出納"));
        answerNextDialog(QString(), true, [] {
            answerNextDialog(QStringLiteral("staff-conflict.png"), false);
        });
        cmdSave->click();
        cmdClear->click(); // nothing left unsaved to ask about on the way out
        QCoreApplication::quit();
    }
};

} // namespace

int main(int argc, char *argv[])
{
    g_folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    return frame::runProgram<CaptureWindow>(argc, argv, StaffWindow::program());
}
