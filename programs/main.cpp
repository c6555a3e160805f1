// main() of suiteframe, the frame's own program: FmMain with nothing in its body.

#include "suiteframe/frame/application.h"
#include "suiteframe/frame/fmMain.h"

int main(int argc, char *argv[])
{
    return frame::runProgram<frame::FmMain>(argc, argv, QStringLiteral("系統共用框架"));
}
