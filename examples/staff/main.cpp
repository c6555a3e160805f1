// 人事資料維護: the reference program of the suite, staff records on the frame.
#include "staffwindow.h"

int main(int argc, char *argv[])
{
    return frame::runProgram<StaffWindow>(argc, argv, StaffWindow::program());
}
