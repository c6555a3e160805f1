// The frame natively on Wayland, beside a real compositor (weston) started by
// tests/support/on-wayland: keys come from xdotool through weston's seat, and the
// message command and the staff program run with no X display at all.
#include "suiteframe/controls/fonts.h"
#include "suiteframe/dialogs/frmSure.h"
#include "suiteframe/platform/value.h"
#include "support/modaldriver.h"

#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
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

// What a program of the frame says of its windows with WAYLAND_DEBUG=client, on its
// standard error: the requests it makes and the events it hears, read as they come.
class ProtocolTrace
{
public:
    explicit ProtocolTrace(QProcess &program)
        : m_program(program)
    {}

    // Waits, up to timeoutMs, for a line past the ones already waited for that matches
    // the pattern; answers the match, which has no match when none came.
    QRegularExpressionMatch waitFor(const QString &pattern, int timeoutMs = 10000)
    {
        const QRegularExpression expression(pattern);
        QRegularExpressionMatch found;
        const bool came = QTest::qWaitFor(
            [&] {
                m_said += QString::fromUtf8(m_program.readAllStandardError());
                found = expression.match(m_said, m_position);
                return found.hasMatch();
            },
            timeoutMs);
        if (came)
            m_position = found.capturedEnd();
        return found;
    }

    // The window surface of the next top-level window the program makes, and its
    // top-level object.
    struct Toplevel
    {
        QString surface;
        QString toplevel;
    };
    Toplevel waitForToplevel()
    {
        const QRegularExpressionMatch surface = waitFor(
            uR"(get_xdg_surface\(new id xdg_surface@(\d+), wl_surface@(\d+)\))"_s);
        const QRegularExpressionMatch toplevel = waitFor(
            uR"(xdg_surface@%1\.get_toplevel\(new id xdg_toplevel@(\d+)\))"_s.arg(
                surface.captured(1)));
        return {surface.captured(2), toplevel.captured(1)};
    }

    // Whether the compositor gave the surface the keyboard: keys pressed from then on
    // reach the window.
    bool waitForKeyboard(const QString &surface)
    {
        return waitFor(uR"(wl_keyboard@\d+\.enter\(\d+, wl_surface@%1,)"_s.arg(surface)).hasMatch();
    }

    // What the program said up to its end.
    QString saidToTheEnd()
    {
        m_program.waitForFinished(10000);
        return m_said += QString::fromUtf8(m_program.readAllStandardError());
    }

    QString said() const { return m_said.right(2000); }

private:
    QProcess &m_program;
    QString m_said;
    qsizetype m_position = 0;
};

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
        command.setProcessEnvironment(waylandOnly({u"WAYLAND_DEBUG=client"_s}));
        command.start(QStringLiteral(SUITEFRAME_MSG_PROGRAM), {u"-t"_s, u"月結"_s, u"確定嗎？"_s});
        ProtocolTrace trace(command);
        const ProtocolTrace::Toplevel dialog = trace.waitForToplevel();
        QVERIFY2(trace.waitForKeyboard(dialog.surface), qPrintable(trace.said()));
        pressKeys({key});
        QVERIFY(command.waitForFinished(10000));
        QCOMPARE(command.exitStatus(), QProcess::NormalExit);
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

    // The staff program's card belongs to its main window: its top-level names the
    // main window's as its parent, and the main window has the keyboard back after it.
    void dialogIsAChildOfItsOwner()
    {
        QTemporaryDir home;
        QProcess staff;
        staff.setProcessEnvironment(waylandOnly({u"WAYLAND_DEBUG=client"_s,
                                                 u"XDG_DATA_HOME="_s + home.filePath(u"資料"_s),
                                                 u"XDG_CONFIG_HOME="_s + home.filePath(u"設定"_s)}));
        staff.start(QStringLiteral(SUITEFRAME_STAFF_PROGRAM), QStringList());
        ProtocolTrace trace(staff);
        const ProtocolTrace::Toplevel main = trace.waitForToplevel();
        QVERIFY2(trace.waitForKeyboard(main.surface), qPrintable(trace.said()));
        pressKeys({u"alt+q"_s});
        const ProtocolTrace::Toplevel card = trace.waitForToplevel();
        QVERIFY2(!card.toplevel.isEmpty(), qPrintable(trace.said()));
        QVERIFY2(trace
                     .waitFor(
                         uR"(xdg_toplevel@%1\.set_parent\(xdg_toplevel@%2\))"_s.arg(card.toplevel,
                                                                                    main.toplevel))
                     .hasMatch(),
                 qPrintable(trace.said()));
        QVERIFY2(trace.waitForKeyboard(card.surface), qPrintable(trace.said()));
        pressKeys({u"Escape"_s});
        QVERIFY2(trace.waitForKeyboard(main.surface), qPrintable(trace.said()));
        pressKeys({u"alt+z"_s});
        QVERIFY2(staff.waitForFinished(10000), qPrintable(trace.said()));
        QCOMPARE(staff.exitStatus(), QProcess::NormalExit);
        QCOMPARE(staff.exitCode(), 0);
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
        ProtocolTrace trace(command);
        QVERIFY(!trace.waitForToplevel().toplevel.isEmpty());
        compositor.kill();
        compositor.waitForFinished();
        QVERIFY(command.waitForFinished(10000));
        QCOMPARE(command.exitCode(), 2);
        const QStringList lines
            = trace.saidToTheEnd().split(u'\n', Qt::SkipEmptyParts).filter(u"suiteframe-msg: "_s);
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().startsWith(u"suiteframe-msg: the display is gone: "_s),
                 qPrintable(lines.first()));
    }
};

QTEST_MAIN(tst_Wayland)
#include "tst_wayland.moc"
