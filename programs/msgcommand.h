// The message command, suiteframe-msg.

#pragma once

#include <QStringList>

class QIODevice;

// The message dialog as a shell command, suiteframe-msg: shows frmSure once with a
// message, message lines read from a file or the records of a query, and answers with
// its exit status. Scripts of the suite confirm and show record cards through it.
namespace frame::msgcommand {

// The exit statuses.
enum Status { Confirmed = 0, Declined = 1, Trouble = 2 };

// Runs the command with its arguments (the first the command's name) in a process
// whose QApplication exists: --help and --version write to output, every trouble is
// one line on error, and lines named "-" are read from input.
int run(const QStringList &arguments, QIODevice &input, QIODevice &output, QIODevice &error);

// The command's main(): answers --help and bad usage before it needs a display, and a
// missing or unreachable display with Trouble and one line, instead of an abort.
int main(int argc, char **argv);

} // namespace frame::msgcommand
