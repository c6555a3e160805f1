// A program of the suite in its smallest form: the frame's main window with a body
// of its own, prepared in InitForm. With a folder argument it saves a picture of the
// window with its frame (main-window.png) and ends.
#include "framedpicture.h"
#include "suiteframe/frame/application.h"
#include "suiteframe/frame/fmMain.h"

#include "suiteframe/controls/panel.h"

#include <QDir>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

class ExampleWindow : public frame::FmMain
{
protected:
    void InitForm() override
    {
        auto *layout = new QVBoxLayout(vsElastic1);
        auto *greeting = new QLabel(QStringLiteral("歡迎使用本系統。"), vsElastic1);
        greeting->setAlignment(Qt::AlignCenter);
        layout->addWidget(greeting);
        const QStringList arguments = QCoreApplication::arguments();
        if (arguments.size() > 1)
            QTimer::singleShot(600, this, [this, folder = arguments.at(1)] { saveAndQuit(folder); });
    }

private:
    void saveAndQuit(const QString &folder)
    {
        saveFramedPicture(this, QDir(folder).filePath(QStringLiteral("main-window.png")));
        QCoreApplication::quit();
    }
};

int main(int argc, char *argv[])
{
    return frame::runProgram<ExampleWindow>(
        argc, argv, {QStringLiteral("範例"), QStringLiteral("範例程式"), 1, 2, 0});
}
