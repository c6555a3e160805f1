// The program's identity: file, name, title and version.

#pragma once

#include <QString>

namespace platform {

// What the running program knows of itself: where its file lives, its title and its
// three version numbers. current() describes this process; a program of the suite
// that reports another version (or a test) builds its own.
struct AppInfo
{
    QString programFile; // full path of the program file
    QString name;        // the program's short name; empty: the file's name, exeName()
    QString title;       // the application title, used as the title of warning boxes
    int major = 0;
    int minor = 0;
    int revision = 0;

    // The directory that holds the program file, without a trailing separator.
    QString path() const;
    // The program's file name without its extension.
    QString exeName() const;

    // The name shown for the program: name, or the file's name where it has none.
    QString displayName() const;

    // This process: its executable, the name given to setProgramName, QCoreApplication's
    // application name (or the file name) as title, and the version the library was
    // built with unless QCoreApplication::applicationVersion() says otherwise ("2.10.3").
    static AppInfo current();
    // Names this process's program for current(); empty leaves the file's name.
    static void setProgramName(const QString &name);
};

} // namespace platform
