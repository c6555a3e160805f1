// Starting a program of the suite: platform, identity, start-up and main window.

#pragma once

#include <QApplication>

#include <memory>

// The start of every program of the suite, up to its main window.
namespace frame {

// Who a program of the suite is: the short name in the header band's first label (the
// program file's name when empty), its title (window caption, header band, warning
// boxes) and its own version, shown in the header band's tool tip and the message bar.
struct Program
{
    QString name;
    QString title;
    int major = 0;
    int minor = 0;
    int revision = 0;
};

// Makes the program known to the process: application name and version, and the name
// that platform::AppInfo::current() answers.
void setProgram(const Program &program);
// A program that carries the frame's own version: the frame's program, the examples.
Program frameProgram(const QString &title);

// What every program does before it shows its main window: says once if the code page
// it was given is unknown, maps the design fonts to their Linux substitutes, and reads
// the user's settings into basBase.
void startUp();

// Chooses the window system platform before the application is made. The suite's
// programs place their own windows (CenterForm), which a program cannot do natively
// under Wayland: there, unless the user has chosen a platform (QT_QPA_PLATFORM), the
// program runs on X11 through XWayland when an X display is at hand, and natively on
// Wayland when none is.
void choosePlatform();

// The exit status of a program that has no display: none named, the one named not
// answering, or the one it had gone away under it. No answer of the user's, and no
// status a program gives of its own.
constexpr int NoDisplay = 2;
constexpr int DisplayLost = NoDisplay;

// Makes the program's application on the display its environment names, with the
// platform chosen. Where the environment names no display, or the one named cannot be
// opened, the program ends with NoDisplay and one line on standard error that names the
// cause and the remedy, where Qt would abort with a core dump. A display that breaks
// under the program later (the compositor or X server died) ends it with DisplayLost
// and one line, where Qt would exit with 1, a status a script takes for the user's
// answer. Qt's own messages while the application is made are shown once it stands.
std::unique_ptr<QApplication> openDisplay(int &argc, char **argv);

// Qt's own texts (the warning box's buttons, every field's context menu, the standard
// dialogs) in the language of the user's locale, from Qt's translations where they are
// installed: 確定, 復原, 剪下, 複製, 貼上 under zh_TW. openDisplay does this.
void translateQtTexts(QCoreApplication &application);

// The whole life of a program of the suite: starts up, loads and shows its main window
// (FmMain or a window derived from it), and runs until the window's Exit ends it.
template<typename MainWindow>
int runProgram(int &argc, char **argv, const Program &program)
{
    const std::unique_ptr<QApplication> application = openDisplay(argc, argv);
    setProgram(program);
    startUp();
    MainWindow window;
    window.show();
    return application->exec();
}

template<typename MainWindow>
int runProgram(int &argc, char **argv, const QString &title)
{
    return runProgram<MainWindow>(argc, argv, frameProgram(title));
}

} // namespace frame
