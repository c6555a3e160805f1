#include "frame/application.h"
#include "frame/fmMain.h"

int main(int argc, char *argv[])
{
    return frame::runProgram<FmMain>(argc, argv, QStringLiteral("系統共用框架"));
}
