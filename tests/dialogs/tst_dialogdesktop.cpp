// The message dialog on a real display: the outer geometry of the design whatever
// frame the window system draws, from the first use in a process on; a dialog
// minimised during the wait; the hints a window manager reads. Registered to run
// offscreen, on a bare X server and under a window manager, each in a process of its
// own, so that the first test sees the dialog's first use.
#include "support/dialogtesting.h"

#include "suiteframe/controls/panel.h"
#include "suiteframe/controls/twips.h"

#include <QProcess>
#include <QRegularExpression>

using namespace dialogtesting;
using namespace Qt::StringLiterals;

namespace {

QString twipsText(double actual, double expected)
{
    return QStringLiteral("%1, expected %2").arg(actual).arg(expected);
}

bool onX11()
{
    return QGuiApplication::platformName() == u"xcb";
}

// The window's properties as xprop prints them, one per line.
QString windowProperties(const QWidget *window)
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window->winId())});
    xprop.waitForFinished();
    return QString::fromLocal8Bit(xprop.readAllStandardOutput());
}

struct Placement
{
    double left, top, width, height;
    double okLeft, cancelLeft;
    double messageFrame, content;

    bool operator==(const Placement &) const = default;
};

Placement placementOf(const FrmSure *dialog)
{
    return {dialog->Left(),
            dialog->Top(),
            dialog->Width(),
            dialog->Height(),
            twips::left(dialog->cmdOK),
            twips::left(dialog->cmdCancel),
            twips::height(dialog->ela1),
            twips::height(dialog->vsElastic2)};
}

// A window manager applies a geometry when it gets to it: read the placement once it
// has held still for a tenth of a second.
Placement settledPlacementOf(const FrmSure *dialog)
{
    Placement last = placementOf(dialog);
    for (int tries = 0; tries < 30; ++tries) {
        QTest::qWait(100);
        const Placement now = placementOf(dialog);
        if (now == last)
            break;
        last = now;
    }
    return last;
}

} // namespace

class tst_DialogDesktop : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        controls::installFontSubstitutes();
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    void cleanup()
    {
        m_driver.stop();
        QVERIFY(visibleWindows().isEmpty());
    }

    // Must stay the first test: its first row is the dialog's first use.
    void outerGeometryOnEveryUse_data()
    {
        QTest::addColumn<bool>("shortSize");
        QTest::addColumn<double>("height");
        QTest::newRow("first use, full") << false << 5910.0;
        QTest::newRow("short") << true << 4200.0;
        QTest::newRow("full again") << false << 5910.0;
        QTest::newRow("short again") << true << 4200.0;
    }

    void outerGeometryOnEveryUse()
    {
        QFETCH(bool, shortSize);
        QFETCH(double, height);
        Placement seen{};
        m_driver.whenActive<FrmSure>([&](FrmSure *dialog) {
            seen = settledPlacementOf(dialog);
            clickButton(dialog->cmdOK);
        });
        QVERIFY(showMsgSized(u"確定要存檔嗎？"_s, shortSize));
        QVERIFY(m_driver.seen());

        QVERIFY2(nearTwips(seen.height, height), qPrintable(twipsText(seen.height, height)));
        const double screenWidth = platform::desktop::screenWidthTwips();
        const double screenHeight = platform::desktop::screenHeightTwips();
        const double left = (screenWidth - seen.width) / 2;
        const double top = (screenHeight - seen.height - 375) / 2;
        QVERIFY2(nearTwips(seen.left, left), qPrintable(twipsText(seen.left, left)));
        QVERIFY2(nearTwips(seen.top, top), qPrintable(twipsText(seen.top, top)));
        // Three equal gaps of 815 across the button bar.
        QVERIFY2(nearTwips(seen.okLeft, 815), qPrintable(twipsText(seen.okLeft, 815)));
        QVERIFY2(nearTwips(seen.cancelLeft, 3505), qPrintable(twipsText(seen.cancelLeft, 3505)));
        QVERIFY2(nearTwips(seen.messageFrame, seen.content - 100),
                 qPrintable(twipsText(seen.messageFrame, seen.content - 100)));
    }

    // Minimising is no answer: the dialog comes back during the wait, and the next use
    // shows it in view, ready for the keyboard.
    void minimisedDialogComesBack()
    {
        bool restoredDuringTheWait = false;
        m_driver.whenActive<FrmSure>([&](FrmSure *dialog) {
            dialog->showMinimized();
            // Back on the screen: the window system shows it again, not only the window's
            // own state, before the user can act on it.
            restoredDuringTheWait = QTest::qWaitFor(
                [dialog] {
                    return !dialog->isMinimized() && dialog->isActiveWindow()
                           && dialog->windowHandle()->isExposed();
                },
                3000);
            dialog->cmdOK->click();
        });
        QVERIFY(frmSure().SHOWMSG(Value(u"縮到最小")));
        QVERIFY(restoredDuringTheWait);

        // Restored, active and cmdOK focused, and still so a moment later, when a late
        // report of the minimise would have come.
        bool ready = false;
        m_driver.whenShown<FrmSure>([&ready](FrmSure *dialog) {
            auto isReady = [dialog] {
                return !dialog->isMinimized() && dialog->isActiveWindow()
                       && QApplication::focusWidget() == dialog->cmdOK;
            };
            ready = QTest::qWaitFor(isReady, 3000);
            QTest::qWait(100);
            ready = ready && isReady();
            clickButton(dialog->cmdOK);
        });
        QVERIFY(frmSure().SHOWMSG(Value(u"再次顯示")));
        QVERIFY(ready);
    }

    // The hints that ask a window manager for a fixed, modal dialog without minimise
    // and maximise buttons. A manager may draw those buttons all the same. Each of
    // several uses in a row, every one shown right after the answer to the one before,
    // is modal.
    void windowManagerHints()
    {
        if (!onX11())
            QSKIP("window manager hints are X11 properties");
        QString properties;
        for (int use = 0; use < 20; ++use) {
            m_driver.whenShown<FrmSure>([&](FrmSure *dialog) {
                properties = windowProperties(dialog);
                clickButton(dialog->cmdOK);
            });
            frmSure().SHOWMSG(Value(u"提示"));
            QVERIFY2(properties.contains(u"_NET_WM_STATE_MODAL"_s), qPrintable(properties));
        }

        // _MOTIF_WM_HINTS: flags, functions, decorations, ...; functions 8 and 16 are
        // minimise and maximise.
        const auto motif = QRegularExpression(
                               u"_MOTIF_WM_HINTS\\(_MOTIF_WM_HINTS\\) = (\\w+), (\\w+)"_s)
                               .match(properties);
        QVERIFY2(motif.hasMatch(), qPrintable(properties));
        const uint functions = motif.captured(2).toUInt(nullptr, 0);
        QVERIFY(motif.captured(1).toUInt(nullptr, 0) & 1);
        QCOMPARE(functions & (8 | 16), 0u);
        QVERIFY(functions & 32); // close

        const auto minimum = QRegularExpression(u"minimum size: (\\d+ by \\d+)"_s).match(properties);
        const auto maximum = QRegularExpression(u"maximum size: (\\d+ by \\d+)"_s).match(properties);
        QVERIFY2(minimum.hasMatch() && maximum.hasMatch(), qPrintable(properties));
        QCOMPARE(minimum.captured(1), maximum.captured(1));
        QVERIFY2(properties.contains(u"WM_TRANSIENT_FOR(WINDOW)"_s), qPrintable(properties));
    }

private:
    ModalDriver m_driver;
};

QTEST_MAIN(tst_DialogDesktop)
#include "tst_dialogdesktop.moc"
