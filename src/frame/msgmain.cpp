// main() of the message command, suiteframe-msg.

#include "suiteframe/frame/msgcommand.h"

int main(int argc, char *argv[])
{
    return frame::msgcommand::main(argc, argv);
}
