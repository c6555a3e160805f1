// FmMain, the suite's main window.

#pragma once

#include "suiteframe/controls/form.h"
#include "suiteframe/platform/appinfo.h"

#include <QDateTime>

#include <array>

class QLabel;
class QPushButton;

namespace controls {
class Panel;
}

namespace frame {

// The main window that every program of the suite starts with: a header band with
// the program's name and file date, the system title and version, and today's date;
// the body panel that each program fills in InitForm; and a status bar with the
// message bar and the Exit button (Alt+Z), which, once Form_QueryUnload lets it, ends
// the program at once.
//
// Showing the window loads it first: Form_Load fills the header band and the message
// bar, then calls InitForm.
class FmMain : public controls::Form
{
    Q_OBJECT

public:
    explicit FmMain(const platform::AppInfo &app = platform::AppInfo::current(),
                    QWidget *parent = nullptr);

    void setVisible(bool visible) override;

    // Runs Form_Load once; showing the window does it too.
    void load();
    bool isLoaded() const { return m_loaded; }

    controls::Panel *elaHead = nullptr;
    std::array<QLabel *, 3> lblHead{};
    controls::Panel *vsElastic1 = nullptr;
    controls::Panel *elaSBar = nullptr;
    controls::Panel *elaMsg = nullptr;
    QPushButton *cmdExit = nullptr;

protected:
    // The program's own preparation of the body panel, run last by Form_Load under
    // the handler "fmMain_InitForm". The frame itself prepares nothing.
    virtual void InitForm();
    // Asked before the program ends through Exit or the window's close box; setting
    // cancel keeps it running, as a program with unsaved edits may after asking its
    // user. The frame itself lets every end go ahead.
    virtual void Form_QueryUnload(bool &cancel);
    void closeEvent(QCloseEvent *event) override;
    // The last-modified date of the program file; throws RuntimeError 53 where the
    // file cannot be read.
    virtual QDateTime programFileDate(const QString &path) const;

private:
    void createHeaderBand();
    void createBody();
    void createStatusBar();

    void Form_Load();
    void runInitForm();
    void focusFirstBodyControl();
    void cmdExit_Click();
    // Whether the window's Form_QueryUnload lets the program end now.
    bool mayEnd();

    QString programFilePath() const;
    QString versionText(const QString &separatorAfterV) const;

    platform::AppInfo m_app;
    bool m_loaded = false;
};

} // namespace frame
