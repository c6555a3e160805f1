// Takes the README's picture of the suiteframe-msg command: runs the command's logic
// with the arguments after the folder, saves the dialog with its frame as
// msg-command.png in the folder and presses 確定.
#include "framedpicture.h"
#include "suiteframe/dialogs/frmSure.h"
#include "suiteframe/frame/application.h"
#include "suiteframe/frame/msgcommand.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QPushButton>
#include <QTimer>

namespace {

void captureWhenShown(const QString &file)
{
    QTimer::singleShot(600, [file] {
        dialogs::FrmSure &dialog = dialogs::frmSure();
        if (!dialog.isVisible())
            return captureWhenShown(file);
        saveFramedPicture(&dialog, file);
        dialog.cmdOK->click();
    });
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    frame::setProgram(frame::frameProgram(QStringLiteral("suiteframe-msg")));
    frame::startUp();
    QStringList arguments = QApplication::arguments();
    if (arguments.size() < 2)
        return 2;
    const QString folder = arguments.takeAt(1);
    captureWhenShown(QDir(folder).filePath(QStringLiteral("msg-command.png")));
    QBuffer input, output, error;
    input.open(QIODevice::ReadOnly);
    output.open(QIODevice::WriteOnly);
    error.open(QIODevice::WriteOnly);
    return frame::msgcommand::run(arguments, input, output, error);
}
