#include "frame/application.h"
#include "frame/fmMain.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("系統共用框架"));
    frame::startUp(application);

    FmMain mainWindow;
    mainWindow.show();
    return application.exec();
}
