// The main window: controls and bands at their design places, colours and fonts, a
// program loaded with its name and version, failing steps, the exit, and Wayland.
#include "suiteframe/frame/application.h"
#include "suiteframe/frame/fmMain.h"

#include "suiteframe/base/basBase.h"
#include "suiteframe/controls/fonts.h"
#include "suiteframe/controls/grid.h"
#include "suiteframe/controls/panel.h"
#include "suiteframe/controls/twips.h"
#include "suiteframe/dialogs/frmSure.h"
#include "suiteframe/dialogs/messagepanel.h"
#include "suiteframe/platform/desktop.h"
#include "suiteframe/platform/regional.h"
#include "suiteframe/platform/runtimeerror.h"
#include "support/buildversion.h"
#include "support/desktopcapture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QGlyphRun>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRawFont>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTextLayout>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <functional>

using platform::Value;
using namespace Qt::StringLiterals;

namespace twips = controls::twips;

namespace {

struct TwipsRect
{
    double left, top, width, height;
};

TwipsRect geometryOf(const QWidget *widget)
{
    return {twips::left(widget), twips::top(widget), twips::width(widget), twips::height(widget)};
}

platform::AppInfo appAt(const QString &programFile, int major = 1, int minor = 0, int revision = 1)
{
    platform::AppInfo app;
    app.programFile = programFile;
    app.title = QStringLiteral("共用框架");
    app.major = major;
    app.minor = minor;
    app.revision = revision;
    return app;
}

// A program whose file vanishes between the check and the reading of its date.
class VanishingProgramWindow : public frame::FmMain
{
public:
    using frame::FmMain::FmMain;
    bool initFormRan = false;

protected:
    QDateTime programFileDate(const QString &path) const override
    {
        QFile::remove(path);
        return frame::FmMain::programFileDate(path);
    }
    void InitForm() override { initFormRan = true; }
};

class FailingInitFormWindow : public frame::FmMain
{
public:
    using frame::FmMain::FmMain;

protected:
    void InitForm() override
    {
        throw platform::RuntimeError(platform::ErrorNumber::ObjectRequired);
    }
};

// Child mode: shows the window, ends it by the given means, and reports 3 if the
// program went on afterwards.
int exitChild(int argc, char *argv[])
{
    QApplication application(argc, argv);
    frame::FmMain window;
    window.show();
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window))
        return 4;
    if (qstrcmp(argv[2], "click") == 0)
        QTest::mouseClick(window.cmdExit, Qt::LeftButton);
    else
        QTest::keyClick(window.windowHandle(), Qt::Key_Z, Qt::AltModifier);
    QTest::qWait(10000); // an access key presses its button after a short animation
    return 3;
}

// The desktops a clerk may run: Qt's light style, a dark one, and high contrast.
QPalette desktopPalette(const QString &theme)
{
    if (theme == u"light")
        return QApplication::style()->standardPalette();
    const bool dark = theme == u"dark";
    const QColor back = dark ? QColor(53, 53, 53) : QColor(0, 0, 0);
    const QColor text = dark ? QColor(233, 233, 233) : QColor(255, 255, 255);
    QPalette palette(text, back, back.lighter(), back.darker(), back, text, text, back, back);
    palette.setColor(QPalette::Highlight, QColor(42, 130, 218));
    return palette;
}

double luminance(QRgb rgb)
{
    const auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(rgb)) + 0.7152 * linear(qGreen(rgb)) + 0.0722 * linear(qBlue(rgb));
}

// The contrast of a control's text with what is behind it, as rendered: the control is
// drawn with its text and without, and of the pixels the text changed, the one that
// stands out most is taken against the same pixel without the text. 1 where the text
// changed nothing: it cannot be seen.
double renderedContrast(QWidget *control, const std::function<void(bool)> &showText)
{
    showText(true);
    const QImage with = control->grab().toImage();
    showText(false);
    const QImage without = control->grab().toImage();
    showText(true);
    double best = 1;
    for (int y = 0; y < with.height(); ++y) {
        for (int x = 0; x < with.width(); ++x) {
            const double a = luminance(with.pixel(x, y)), b = luminance(without.pixel(x, y));
            best = std::max(best, (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05));
        }
    }
    return best;
}

} // namespace

// The child's part of qtTextsInTheUsersLanguage: the texts of a field's context menu,
// then the warning box's button and font, one a line, as a program of the suite shows
// them.
int printQtTexts(int &argc, char **argv)
{
    const auto application = frame::openDisplay(argc, argv);
    QLineEdit field;
    std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
    QStringList texts;
    for (const QAction *action : menu->actions()) {
        if (!action->isSeparator())
            texts << action->text().remove(u'&'); // the accelerator's mark
    }
    QTimer whenShown;
    QObject::connect(&whenShown, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        whenShown.stop();
        const QAbstractButton *ok = box->button(QMessageBox::Ok);
        texts << ok->text()
              << ok->font().family() + u' ' + QString::number(ok->font().pointSizeF());
        box->accept();
    });
    whenShown.start(10);
    platform::desktop::showWarning(u"t"_s, u"t"_s);
    std::fputs(qPrintable(texts.join(u'\n')), stdout);
    return 0;
}

class tst_FmMain : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::Taiwan));
        controls::installFontSubstitutes();
        QVERIFY(m_dir.isValid());
    }

    void cleanup() { QCOMPARE(QApplication::topLevelWidgets().size(), 0); }

    // Every text on a design background reads on every desktop: at least 4.5:1 against
    // its background, as rendered. The main window's header band, message bar and 結束,
    // and the dialog's message and card.
    void designTextReadsOnEveryDesktop_data()
    {
        QTest::addColumn<QString>("theme");
        QTest::addColumn<QString>("control");
        for (const char *theme : {"light", "dark", "high contrast"}) {
            for (const char *control : {"lblHead(0)",
                                        "lblHead(1)",
                                        "lblHead(2)",
                                        "elaMsg",
                                        "cmdExit",
                                        "frmSure elaMsg",
                                        "frmSure fgList"})
                QTest::addRow("%s, %s", theme, control) << theme << control;
        }
    }

    void designTextReadsOnEveryDesktop()
    {
        QFETCH(QString, theme);
        QFETCH(QString, control);
        const QPalette before = QApplication::palette();
        QApplication::setPalette(desktopPalette(theme));
        frame::FmMain window(appAt(QString()));
        dialogs::FrmSure dialog;
        dialog.ClearMsgFrom();
        dialog.elaMsg->setCaption(u"確定要修改這筆資料嗎？"_s);
        dialog.AddLine(Value(u"姓名\t林志明"_s));
        dialog.SetList(Value(1), Value(0), Value(10.0f));
        double contrast = 1;
        if (control == u"frmSure elaMsg") {
            contrast = renderedContrast(dialog.elaMsg, [&](bool shown) {
                dialog.elaMsg->setCaption(shown ? u"確定要修改這筆資料嗎？"_s : QString());
            });
        } else if (control == u"frmSure fgList") {
            dialog.fgList->resize(300, 60);
            contrast = renderedContrast(dialog.fgList, [&](bool shown) {
                dialog.fgList->setCellText(0, 0, shown ? u"姓名"_s : QString());
                dialog.fgList->setCellText(0, 1, shown ? u"林志明"_s : QString());
            });
        } else if (auto *panel = window.findChild<controls::Panel *>(control)) {
            const QString caption = panel->Caption();
            contrast = renderedContrast(panel, [&](bool shown) {
                panel->setCaption(shown ? caption : QString());
            });
        } else if (auto *button = window.findChild<QAbstractButton *>(control)) {
            button->setIcon(QIcon());
            contrast = renderedContrast(button, [&](bool shown) {
                button->setText(shown ? u"&Z結束"_s : QString());
            });
        } else {
            auto *label = window.findChild<QLabel *>(control);
            QVERIFY(label);
            contrast = renderedContrast(label, [&](bool shown) {
                label->setText(shown ? u"人事資料維護"_s : QString());
            });
        }
        QApplication::setPalette(before);
        QVERIFY2(contrast >= 4.5, qPrintable(QString::number(contrast)));
    }

    void controlsStandAtTheirDesignPlaces_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRectF>("expected");
        QTest::newRow("elaHead") << "elaHead" << QRectF(0, 0, 8970, 495);
        QTest::newRow("lblHead(0)") << "lblHead(0)" << QRectF(45, 120, 1425, 330);
        QTest::newRow("lblHead(1)") << "lblHead(1)" << QRectF(2055, 75, 4770, 405);
        QTest::newRow("lblHead(2)") << "lblHead(2)" << QRectF(7215, 120, 1710, 330);
        QTest::newRow("vsElastic1") << "vsElastic1" << QRectF(0, 495, 8970, 5205);
        QTest::newRow("elaSBar") << "elaSBar" << QRectF(0, 5700, 8970, 555);
        QTest::newRow("elaMsg") << "elaMsg" << QRectF(60, 105, 7875, 360);
        QTest::newRow("cmdExit") << "cmdExit" << QRectF(8010, 60, 900, 450);
    }

    void controlsStandAtTheirDesignPlaces()
    {
        QFETCH(QString, name);
        QFETCH(QRectF, expected);
        frame::FmMain window(appAt(QString()));
        window.show();
        QCOMPARE(window.ScaleWidth(), 8970.0);
        QCOMPARE(window.ScaleHeight(), 6255.0);
        const auto *control = window.findChild<QWidget *>(name);
        QVERIFY(control);
        const TwipsRect actual = geometryOf(control);
        // Positions are whole pixels: within half a pixel (7.5 twips) of the design.
        QVERIFY2(qAbs(actual.left - expected.left()) <= 7.5
                     && qAbs(actual.top - expected.top()) <= 7.5
                     && qAbs(actual.width - expected.width()) <= 7.5
                     && qAbs(actual.height - expected.height()) <= 7.5,
                 qPrintable(QStringLiteral("%1,%2,%3,%4")
                                .arg(actual.left)
                                .arg(actual.top)
                                .arg(actual.width)
                                .arg(actual.height)));
    }

    void bandsKeepTheirHeightsOnResize()
    {
        frame::FmMain window(appAt(QString()));
        window.show();
        window.setClientSize(12000, 9000);
        QCoreApplication::processEvents();

        const TwipsRect head = geometryOf(window.elaHead);
        const TwipsRect body = geometryOf(window.vsElastic1);
        const TwipsRect bar = geometryOf(window.elaSBar);
        QCOMPARE(head.width, 12000.0);
        QCOMPARE(head.height, 495.0);
        QCOMPARE(bar.top, 9000.0 - 555);
        QCOMPARE(bar.width, 12000.0);
        QCOMPARE(bar.height, 555.0);
        QCOMPARE(body.top, 495.0);
        QCOMPARE(body.height, 9000.0 - 495 - 555);
        QCOMPARE(body.width, 12000.0);
        QCOMPARE(twips::left(window.cmdExit), 8010.0);

        // Made as small as a user can drag it, the window keeps its bands whole.
        window.resize(100, 50);
        QCoreApplication::processEvents();
        QVERIFY(window.cmdExit->mapTo(&window, window.cmdExit->rect().bottomRight()).x()
                < window.width());
        QCOMPARE(window.elaSBar->geometry().bottom(), window.height() - 1);
        QCOMPARE(window.elaSBar->y(), window.elaHead->height());
    }

    void designColoursAndFonts()
    {
        frame::FmMain window(appAt(QString()));
        QCOMPARE(window.lblHead[0]->palette().color(QPalette::Window), QColor(192, 192, 192));
        QCOMPARE(window.lblHead[1]->palette().color(QPalette::Window), QColor(192, 255, 192));
        QCOMPARE(window.lblHead[2]->palette().color(QPalette::Window), QColor(128, 255, 128));
        QCOMPARE(window.elaMsg->palette().color(QPalette::Window), QColor(255, 255, 192));
        QCOMPARE(window.elaMsg->palette().color(QPalette::WindowText), QColor(0, 0, 192));
        QCOMPARE(window.lblHead[2]->text(), QStringLiteral("2000/00/00"));
        QCOMPARE(window.elaMsg->Caption(), QStringLiteral("訊息列"));
        QCOMPARE(window.lblHead[1]->font().pointSizeF(), 18.0);
        // Chinese captions render in a Ming face, not as boxes.
        QCOMPARE(QFontInfo(window.lblHead[1]->font()).family(), QStringLiteral("AR PL UMing TW"));
        QVERIFY(QFontMetrics(window.elaMsg->font()).inFont(QChar(0x8A0A)));
        // A character outside the basic plane is drawn by the full-character font.
        QTextLayout layout(QStringLiteral("𠀋"), window.elaMsg->font());
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        const QList<QGlyphRun> runs = layout.glyphRuns();
        QCOMPARE(runs.size(), 1);
        QVERIFY(runs.first().rawFont().supportsCharacter(0x2000B));
        QVERIFY(runs.first().glyphIndexes().value(0) != 0);
    }

    void loadFillsTheFrame_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QList<int>>("version");
        QTest::addColumn<QString>("tip");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QTime>("modified");
        QTest::addColumn<QString>("dateTip");
        const QTime afternoon(14, 5, 9);
        const QString afternoonTip = QStringLiteral("檔案日期:2012/12/8 下午 02:05:09");
        QTest::newRow("this build")
            << "bin" << buildversion::numbers() << "V" + buildversion::text()
            << "V." + buildversion::text() << afternoon << afternoonTip;
        QTest::newRow("version 2.10.3") << "bin" << QList<int>{2, 10, 3} << "V2.10.3"
                                        << "V.2.10.3" << afternoon << afternoonTip;
        QTest::newRow("folder with blanks and Chinese")
            << "程式 資料夾" << buildversion::numbers() << "V" + buildversion::text()
            << "V." + buildversion::text() << afternoon << afternoonTip;
        QTest::newRow("fraction of a second cut, not rounded into the next day")
            << "late" << buildversion::numbers() << "V" + buildversion::text()
            << "V." + buildversion::text() << QTime(23, 59, 59, 700)
            << QStringLiteral("檔案日期:2012/12/8 下午 11:59:59");
    }

    void loadFillsTheFrame()
    {
        QFETCH(QString, folder);
        QFETCH(QList<int>, version);
        QFETCH(QString, tip);
        QFETCH(QString, message);
        QFETCH(QTime, modified);
        QFETCH(QString, dateTip);
        const QString program = createProgramFile(folder, QDateTime(QDate(2012, 12, 8), modified));

        DesktopCapture desktop;
        frame::FmMain window(appAt(program, version[0], version[1], version[2]));
        window.show();

        QCOMPARE(window.lblHead[0]->toolTip(), dateTip);
        QCOMPARE(window.lblHead[1]->toolTip(), tip);
        QCOMPARE(window.elaMsg->Caption(), message);
        QCOMPARE(window.lblHead[2]->text(), platform::regional::shortDate(QDate::currentDate()));
        QCOMPARE(desktop.warnings.size(), 0);
    }

    // A program of the suite names itself at start-up; the frame's own keeps its version.
    void programShowsItsOwnNameAndVersion_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QList<int>>("version");
        QTest::addColumn<QString>("shownName");
        QTest::addColumn<QString>("tip");
        QTest::newRow("program of the suite") << "人事"
                                              << "人事資料維護" << QList<int>{2, 10, 3} << "人事"
                                              << "V2.10.3";
        QTest::newRow("no short name: the file's")
            << ""
            << "人事資料維護" << QList<int>{1, 2, 0} << "tst_fmmain"
            << "V1.2.0";
    }

    void programShowsItsOwnNameAndVersion()
    {
        QFETCH(QString, name);
        QFETCH(QString, title);
        QFETCH(QList<int>, version);
        QFETCH(QString, shownName);
        QFETCH(QString, tip);
        const QString savedTitle = QCoreApplication::applicationName();
        frame::setProgram({name, title, version[0], version[1], version[2]});
        {
            frame::FmMain window;
            window.show();
            QCOMPARE(window.windowTitle(), title);
            QCOMPARE(window.lblHead[0]->text(), shownName);
            QCOMPARE(window.lblHead[1]->text(), title);
            QCOMPARE(window.lblHead[1]->toolTip(), tip);
            QCOMPARE(window.elaMsg->Caption(), QStringLiteral("V.") + tip.mid(1));
        }
        frame::setProgram(frame::frameProgram(savedTitle));
        QCOMPARE(platform::AppInfo::current().revision, 1);
    }

    void renamedProgramFileLeavesTheTipEmpty()
    {
        const QString program = createProgramFile(QStringLiteral("renamed"),
                                                  QDateTime::currentDateTime());
        QVERIFY(QFile::rename(program, program + QStringLiteral(".bak")));

        DesktopCapture desktop;
        frame::FmMain window(appAt(program, 2, 10, 3));
        window.show();
        QVERIFY(window.lblHead[0]->toolTip().isEmpty());
        QCOMPARE(window.lblHead[1]->toolTip(), QStringLiteral("V2.10.3"));
        QCOMPARE(window.elaMsg->Caption(), QStringLiteral("V.2.10.3"));
        QCOMPARE(desktop.warnings.size(), 0);
    }

    void failingStepIsReportedAndTheWindowStillOpens()
    {
        const QString program = createProgramFile(QStringLiteral("vanishing"),
                                                  QDateTime::currentDateTime());
        DesktopCapture desktop;
        VanishingProgramWindow window(appAt(program));
        window.show();

        QCOMPARE(desktop.procedures(), QStringList{QStringLiteral("fmMain_Form_Load")});
        QVERIFY(desktop.warnings[0].text.contains(QStringLiteral("代碼:  53\r\n")));
        QVERIFY(window.isVisible());
        QVERIFY(window.lblHead[1]->toolTip().isEmpty()); // the rest of the load was skipped
        QCOMPARE(window.elaMsg->Caption(), QStringLiteral("訊息列"));
        QVERIFY(!window.initFormRan);
    }

    void initFormReportsUnderItsOwnName()
    {
        DesktopCapture desktop;
        FailingInitFormWindow window(appAt(QString()));
        window.show();
        QCOMPARE(desktop.procedures(), QStringList{QStringLiteral("fmMain_InitForm")});
        QCOMPARE(window.elaMsg->Caption(), "V." + buildversion::text());
    }

    void loadRunsOnce()
    {
        frame::FmMain window(appAt(QString()));
        window.show();
        window.elaMsg->setCaption(QStringLiteral("changed"));
        window.hide();
        window.show();
        QCOMPARE(window.elaMsg->Caption(), QStringLiteral("changed"));
    }

    void exitEndsTheProcessAtOnce_data()
    {
        QTest::addColumn<QString>("means");
        QTest::newRow("click") << "click";
        QTest::newRow("Alt+Z") << "altz";
    }

    void exitEndsTheProcessAtOnce()
    {
        QFETCH(QString, means);
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--exit-by"), means});
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);
    }

    // The platform is chosen from the environment before the application exists.
    void platformUnderWayland_data()
    {
        QTest::addColumn<QByteArray>("chosen");
        QTest::addColumn<QByteArray>("wayland");
        QTest::addColumn<QByteArray>("x11");
        QTest::addColumn<QByteArray>("platform");
        QTest::newRow("Wayland with XWayland")
            << QByteArray() << QByteArray("wayland-0") << QByteArray(":0") << QByteArray("xcb");
        QTest::newRow("Wayland alone")
            << QByteArray() << QByteArray("wayland-0") << QByteArray() << QByteArray("wayland");
        QTest::newRow("user's choice") << QByteArray("wayland") << QByteArray("wayland-0")
                                       << QByteArray(":0") << QByteArray("wayland");
        QTest::newRow("X11 session")
            << QByteArray() << QByteArray() << QByteArray(":0") << QByteArray();
    }

    void platformUnderWayland()
    {
        QFETCH(QByteArray, chosen);
        QFETCH(QByteArray, wayland);
        QFETCH(QByteArray, x11);
        QFETCH(QByteArray, platform);
        const QByteArray saved[] = {qgetenv("QT_QPA_PLATFORM"),
                                    qgetenv("WAYLAND_DISPLAY"),
                                    qgetenv("DISPLAY")};
        qputenv("QT_QPA_PLATFORM", chosen);
        qputenv("WAYLAND_DISPLAY", wayland);
        qputenv("DISPLAY", x11);
        frame::choosePlatform();
        const QByteArray result = qgetenv("QT_QPA_PLATFORM");
        qputenv("QT_QPA_PLATFORM", saved[0]);
        qputenv("WAYLAND_DISPLAY", saved[1]);
        qputenv("DISPLAY", saved[2]);
        QCOMPARE(result, platform);
    }

    // Qt's own texts follow the user's locale: the field's context menu and the warning
    // box's button, as a program of the frame opened through openDisplay shows them; the
    // box reads in the frame's design font.
    void qtTextsInTheUsersLanguage_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QStringList>("texts"); // each on a line of its own, in order
        QTest::newRow("zh_TW") << u"zh_TW.UTF-8"_s
                               << QStringList{u"復原"_s,
                                              u"剪下"_s,
                                              u"複製"_s,
                                              u"貼上"_s,
                                              u"全部選擇"_s,
                                              u"確定"_s,
                                              u"新細明體 12"_s};
        QTest::newRow("no translation") << u"C.UTF-8"_s
                                        << QStringList{u"Undo"_s,
                                                       u"Cut"_s,
                                                       u"Copy"_s,
                                                       u"Paste"_s,
                                                       u"Select All"_s,
                                                       u"OK"_s,
                                                       u"新細明體 12"_s};
    }

    void qtTextsInTheUsersLanguage()
    {
        QFETCH(QString, locale);
        QFETCH(QStringList, texts);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"LC_ALL"_s, locale);
        environment.insert(u"LANGUAGE"_s, QString());
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        QProcess child;
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(), {u"--qt-texts"_s});
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.exitCode(), 0);
        const QString shown = QString::fromUtf8(child.readAllStandardOutput());
        qsizetype from = 0;
        for (const QString &text : texts) {
            const qsizetype at = shown.indexOf(text, from);
            QVERIFY2(at >= 0, qPrintable(text + u" not after "_s + shown.left(from)));
            from = at + text.size();
        }
    }

    // Every program of the frame opens its display through openDisplay: without one it
    // ends with one line naming the cause and the remedy, never with Qt's abort.
    void programWithoutADisplay_data()
    {
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<QString>("cause");
        QTest::newRow("none named")
            << QStringList() << u"neither DISPLAY nor WAYLAND_DISPLAY is set"_s;
        QTest::newRow("X server not there")
            << QStringList{u"DISPLAY=:77"_s} << u"cannot open DISPLAY=:77 (platform xcb)"_s;
        QTest::newRow("X chosen, none named")
            << QStringList{u"QT_QPA_PLATFORM=xcb"_s} << u"DISPLAY is not set"_s;
        QTest::newRow("compositor not there")
            << QStringList{u"WAYLAND_DISPLAY=wayland-77"_s, u"XDG_RUNTIME_DIR=/tmp"_s}
            << u"cannot open WAYLAND_DISPLAY=wayland-77 (platform wayland)"_s;
        QTest::newRow("no runtime folder")
            << QStringList{u"WAYLAND_DISPLAY=wayland-77"_s}
            << u"WAYLAND_DISPLAY=wayland-77 names no socket, for XDG_RUNTIME_DIR is not set"_s;
    }

    void programWithoutADisplay()
    {
        QFETCH(QStringList, environment);
        QFETCH(QString, cause);
        QProcessEnvironment noDisplay = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_RUNTIME_DIR"})
            noDisplay.remove(QString::fromLatin1(name));
        for (const QString &setting : environment)
            noDisplay.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
        QProcess child;
        child.setProcessEnvironment(noDisplay);
        child.start(QCoreApplication::applicationFilePath(), {u"--open-display"_s});
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), frame::NoDisplay);
        const QStringList lines = QString::fromLocal8Bit(child.readAllStandardError())
                                      .split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 1);
        QCOMPARE(lines.first(),
                 u"tst_fmmain: no display: "_s + cause
                     + u"; set DISPLAY or WAYLAND_DISPLAY to the desktop's display, or start "
                       u"the program under xvfb-run"_s);
    }

private:
    QString createProgramFile(const QString &folder, const QDateTime &modified)
    {
        QDir(m_dir.path()).mkpath(folder);
        const QString path = m_dir.filePath(folder + QStringLiteral("/程式"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return QString();
        file.setFileTime(modified, QFileDevice::FileModificationTime);
        return path;
    }

    QTemporaryDir m_dir;
};

// Started again with --exit-by, the program is the child of the exit tests, which
// makes its own application; so QTEST_MAIN cannot stand here.
int main(int argc, char *argv[])
{
    if (argc == 3 && qstrcmp(argv[1], "--exit-by") == 0)
        return exitChild(argc, argv);
    if (argc == 2 && qstrcmp(argv[1], "--open-display") == 0)
        return frame::openDisplay(argc, argv) ? 0 : 1;
    if (argc == 2 && qstrcmp(argv[1], "--qt-texts") == 0)
        return printQtTexts(argc, argv);
    QApplication application(argc, argv);
    tst_FmMain test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_fmmain.moc"
