// Shows the frame's message dialog and answers it: exit 0 when SHOWMSG reports the
// first button pressed, 1 otherwise.
#include "base/basBase.h"
#include "platform/value.h"

#include <suiteframe/base/basBase.h>
#include <suiteframe/dialogs/frmSure.h>
#include <suiteframe/frame/application.h>

#include <QApplication>
#include <QPushButton>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    [[maybe_unused]] const consumer::platform::Value ownValue;
    frame::setProgram({QStringLiteral("外部"), QStringLiteral("外部程式"), 2, 0, 0});
    frame::startUp();

    dialogs::FrmSure &dialog = dialogs::frmSure();
    dialog.ClearMsgFrom();
    dialog.AddLine(
        platform::Value(QStringLiteral("建置者\t") + QString::fromLatin1(consumer::base::owner())));
    QTimer answer;
    answer.setInterval(50);
    QObject::connect(&answer, &QTimer::timeout, [&dialog] {
        if (dialog.isVisible())
            dialog.cmdOK->click();
    });
    answer.start();
    const bool confirmed = dialog.SHOWMSG(platform::Value(u"從安裝的套件建置。"),
                                          platform::Value(u"外部程式"));
    return confirmed ? 0 : 1;
}
