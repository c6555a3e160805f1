// A program of the suite in its smallest form: the frame's main window with a body
// of its own, prepared in InitForm.
#include "frame/application.h"
#include "frame/fmMain.h"

#include "controls/panel.h"

#include <QLabel>
#include <QVBoxLayout>

class ExampleWindow : public FmMain
{
protected:
    void InitForm() override
    {
        auto *layout = new QVBoxLayout(vsElastic1);
        auto *greeting = new QLabel(QStringLiteral("歡迎使用本系統。"), vsElastic1);
        greeting->setAlignment(Qt::AlignCenter);
        layout->addWidget(greeting);
    }
};

int main(int argc, char *argv[])
{
    return frame::runProgram<ExampleWindow>(argc, argv, QStringLiteral("範例程式"));
}
