// Takes the pictures of the reference program for the README: the record card of a
// query, and the main window with the record loaded (staff-card.png, staff-main.png in
// the folder given). Run it on a display with a window manager, with the XDG folders
// pointing at a fresh place so that the sample records are there.
#include "framedpicture.h"
#include "staffwindow.h"

#include <suiteframe/dialogs/frmSure.h>

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {

QString g_folder;

// Once the card is up and painted: its picture, then 載入.
void grabCardWhenShown()
{
    QTimer::singleShot(600, [] {
        if (!QApplication::activeModalWidget())
            return grabCardWhenShown();
        saveFramedPicture(&dialogs::frmSure(),
                          QDir(g_folder).filePath(QStringLiteral("staff-card.png")));
        dialogs::frmSure().cmdOK->click();
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
            grabCardWhenShown();
            cmdQuery->click();
            txtSalary->setFocus();
            QTimer::singleShot(600, this, [this] {
                saveFramedPicture(this, QDir(g_folder).filePath(QStringLiteral("staff-main.png")));
                QCoreApplication::quit();
            });
        });
    }
};

} // namespace

int main(int argc, char *argv[])
{
    g_folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    return frame::runProgram<CaptureWindow>(argc, argv, StaffWindow::program());
}
