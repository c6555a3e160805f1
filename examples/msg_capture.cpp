// Takes a README picture of the suiteframe-msg command: runs the command's logic with
// the arguments after the picture's file name, saves the dialog with its frame in
// that file (PNG) and presses 確定.
#include "framedpicture.h"
#include "msgcommand.h"
#include "suiteframe/dialogs/frmSure.h"
#include "suiteframe/frame/application.h"

#include <QApplication>
#include <QBuffer>
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
    const std::unique_ptr<QApplication> application = frame::openDisplay(argc, argv);
    frame::setProgram(frame::frameProgram(QStringLiteral("suiteframe-msg")));
    frame::startUp();
    QStringList arguments = QApplication::arguments();
    if (arguments.size() < 2)
        return 2;
    captureWhenShown(arguments.takeAt(1));
    QBuffer input, output, error;
    input.open(QIODevice::ReadOnly);
    output.open(QIODevice::WriteOnly);
    error.open(QIODevice::WriteOnly);
    return frame::msgcommand::run(arguments, input, output, error);
}
