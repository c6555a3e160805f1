// The frame natively on Wayland, beside a real compositor (weston) started by
// tests/support/on-wayland: keys come from xdotool through weston's seat, and the
// message command and the staff program run with no X display at all.
#include "suiteframe/controls/fonts.h"
#include "suiteframe/dialogs/frmSure.h"
#include "suiteframe/platform/value.h"
#include "support/modaldriver.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

using namespace Qt::StringLiterals;
using dialogs::FrmSure;
using platform::Value;

namespace {

// Presses keys as a user does: on the X display weston reads its seat from.
void pressKeys(const QStringList &keys)
{
    QProcess xdotool;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"DISPLAY"_s, qEnvironmentVariable("SUITEFRAME_X_DISPLAY"));
    xdotool.setProcessEnvironment(environment);
    xdotool.start(u"xdotool"_s, QStringList{u"key"_s, u"--delay"_s, u"100"_s} + keys);
    xdotool.waitForFinished();
}

// A program of the frame with only a Wayland display at hand, as on a session without
// XWayland.
QProcessEnvironment waylandOnly(const QStringList &extra = {})
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(u"DISPLAY"_s);
    environment.remove(u"QT_QPA_PLATFORM"_s);
    for (const QString &setting : extra)
        environment.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
    return environment;
}

// Waits for the program to say the sign on its standard error (the requests of its
// window, with WAYLAND_DEBUG): weston gives a new window the keyboard. What the program
// said up to then is added to said.
bool waitForWindow(QProcess &program,
                   const QByteArray &sign,
                   QByteArray *said = nullptr,
                   int timeoutMs = 10000)
{
    QByteArray own;
    if (!said)
        said = &own;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        program.waitForReadyRead(100);
        *said += program.readAllStandardError();
        if (said->contains(sign))
            return true;
    }
    return false;
}

} // namespace

class tst_Wayland : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("SUITEFRAME_X_DISPLAY"))
            QSKIP("needs weston: run under tests/support/on-wayland");
        controls::installFontSubstitutes();
    }

    void messageCommandRunsNatively_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("status");
        QTest::newRow("Enter confirms") << u"Return"_s << 0;
        QTest::newRow("Escape declines") << u"Escape"_s << 1;
    }

    void messageCommandRunsNatively()
    {
        QFETCH(QString, key);
        QProcess command;
        command.setProcessEnvironment(
            waylandOnly({u"WAYLAND_DEBUG=client"_s, u"QT_DEBUG_PLUGINS=1"_s}));
        command.start(QStringLiteral(SUITEFRAME_MSG_PROGRAM), {u"-t"_s, u"月結"_s, u"確定嗎？"_s});
        QByteArray said;
        QVERIFY(waitForWindow(command, "set_title", &said));
        // Qt's own start-up messages are shown, as every program of the frame shows them.
        QVERIFY(said.contains("qt.core.plugin.factoryloader"));
        QTest::qWait(500); // mapped and given the keyboard
        pressKeys({key});
        QVERIFY(command.waitForFinished(10000));
        QTEST(command.exitCode(), "status");
    }

    // Qt's decoration minimises the window as its button is pressed; the dialog comes
    // back and still takes the keys.
    void minimisedDialogComesBack()
    {
        ModalDriver driver;
        bool cameBack = false;
        driver.whenActive<FrmSure>([&](FrmSure *dialog) {
            dialog->windowHandle()->setWindowState(Qt::WindowMinimized);
            const bool minimised = QTest::qWaitFor(
                [dialog] { return dialog->isMinimized() || !dialog->isActiveWindow(); }, 3000);
            cameBack = minimised
                       && QTest::qWaitFor(
                           [dialog] {
                               return dialog->isVisible() && !dialog->isMinimized()
                                      && dialog->isActiveWindow();
                           },
                           5000);
            QTest::qWait(300);
            pressKeys({u"Return"_s});
            // A key that went nowhere must not leave the test waiting for ever.
            if (!QTest::qWaitFor([dialog] { return !dialog->isVisible(); }, 3000))
                dialog->cmdCancel->click();
        });
        dialogs::frmSure().ClearMsgFrom();
        const bool confirmed = dialogs::frmSure().SHOWMSG(Value(u"確定嗎？"_s), Value(u"縮小"_s));
        QVERIFY(cameBack);
        QVERIFY(confirmed);
    }

    // The staff program's card belongs to its main window.
    void dialogIsAChildOfItsOwner()
    {
        QTemporaryDir home;
        QProcess staff;
        staff.setProcessEnvironment(waylandOnly({u"WAYLAND_DEBUG=client"_s,
                                                 u"XDG_DATA_HOME="_s + home.filePath(u"資料"_s),
                                                 u"XDG_CONFIG_HOME="_s + home.filePath(u"設定"_s)}));
        staff.start(QStringLiteral(SUITEFRAME_STAFF_PROGRAM), QStringList());
        QVERIFY(waitForWindow(staff, "set_title"));
        QTest::qWait(500);
        pressKeys({u"alt+q"_s});
        QVERIFY(waitForWindow(staff, ".set_parent(xdg_toplevel@"));
        QTest::qWait(1000); // the card mapped and given the keyboard
        pressKeys({u"Escape"_s});
        QTest::qWait(1000); // the main window active again
        pressKeys({u"alt+z"_s});
        QVERIFY2(staff.waitForFinished(10000), staff.readAllStandardError().right(2000).constData());
    }

    // On a compositor of its own, which the test then kills.
    void lostCompositorIsNoAnswer()
    {
        QProcess compositor;
        compositor.start(u"weston"_s,
                         {u"--backend=headless-backend.so"_s,
                          u"--no-config"_s,
                          u"--socket=suiteframe-lost"_s});
        QVERIFY(QTest::qWaitFor(
            [] {
                return QFile::exists(qEnvironmentVariable("XDG_RUNTIME_DIR")
                                     + u"/suiteframe-lost"_s);
            },
            10000));
        QProcess command;
        command.setProcessEnvironment(
            waylandOnly({u"WAYLAND_DISPLAY=suiteframe-lost"_s, u"WAYLAND_DEBUG=client"_s}));
        command.start(QStringLiteral(SUITEFRAME_MSG_PROGRAM), {u"等一下"_s});
        QVERIFY(waitForWindow(command, "set_title"));
        compositor.kill();
        compositor.waitForFinished();
        QVERIFY(command.waitForFinished(10000));
        QCOMPARE(command.exitCode(), 2);
        const QStringList lines = QString::fromLocal8Bit(command.readAllStandardError())
                                      .split(u'\n', Qt::SkipEmptyParts)
                                      .filter(u"suiteframe-msg: "_s);
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().startsWith(u"suiteframe-msg: the display is gone: "_s),
                 qPrintable(lines.first()));
    }
};

QTEST_MAIN(tst_Wayland)
#include "tst_wayland.moc"
