#include "suiteframe/frame/msgcommand.h"

int main(int argc, char *argv[])
{
    return frame::msgcommand::main(argc, argv);
}
