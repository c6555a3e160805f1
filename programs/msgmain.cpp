// main() of the message command, suiteframe-msg.

#include "msgcommand.h"

int main(int argc, char *argv[])
{
    return frame::msgcommand::main(argc, argv);
}
