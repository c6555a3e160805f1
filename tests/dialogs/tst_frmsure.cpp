// The message dialog's window: SHOWMSG's layout and answer, driven through the real
// modal window.
#include "support/dialogtesting.h"

#include "suiteframe/adodb/memoryrecordset.h"
#include "suiteframe/controls/grid.h"
#include "suiteframe/controls/panel.h"
#include "suiteframe/controls/twips.h"
#include "suiteframe/dialogs/messagepanel.h"
#include "support/valuemetatype.h"

#include <QAccessible>
#include <QClipboard>
#include <QLabel>

using namespace dialogtesting;
using namespace Qt::StringLiterals;

class tst_FrmSure : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void buttonAnswers_data();
    void buttonAnswers();
    void freshDialogDefaults();
    void buttonLayout_data();
    void buttonLayout();
    void singleThenTwoButtonsPlacesBothAfresh();
    void windowHeight_data();
    void windowHeight();
    void messageFrameFitsAfterHeightChange();
    void listVisibility_data();
    void listVisibility();
    void blankMessageHidesFrame();
    void closingAnswersFalseAfterEarlierTrue_data();
    void closingAnswersFalseAfterEarlierTrue();
    void quittingDuringTheWaitAnswersFalse();
    void enterAndSpacePressFocusedButton_data();
    void enterAndSpacePressFocusedButton();
    void nullParameterIsReportedAndNothingShown_data();
    void nullParameterIsReportedAndNothingShown();
    void nullParameterThroughRealWarningBox();
    void secondShowMsgDuringModalWaitChangesNothing();
    void recordsetReplacesLinesAndShowsList();
    void controlCopiesMessageAndList();
    void announcesMessageToScreenReaders();
    void longMessageWraps();

private:
    ModalDriver m_driver;
};

void tst_FrmSure::initTestCase()
{
    controls::installFontSubstitutes();
}

void tst_FrmSure::init()
{
    frmSure().ClearMsgFrom();
}

void tst_FrmSure::cleanup()
{
    m_driver.stop();
    QCOMPARE(visibleWindows(), QStringList());
}

void tst_FrmSure::buttonAnswers_data()
{
    QTest::addColumn<bool>("pressOK");
    QTest::newRow("確定 answers true") << true;
    QTest::newRow("取消 answers false") << false;
}

void tst_FrmSure::buttonAnswers()
{
    QFETCH(bool, pressOK);
    m_driver.whenShown<FrmSure>(
        [pressOK](FrmSure *dialog) { clickButton(pressOK ? dialog->cmdOK : dialog->cmdCancel); });
    QCOMPARE(frmSure().SHOWMSG(Value(u"確定要存檔嗎？")), pressOK);
    QVERIFY(m_driver.seen());
    QCOMPARE(frmSure().fbChoice(), pressOK);
}

void tst_FrmSure::freshDialogDefaults()
{
    QString title, ok, cancel;
    bool cancelShown = false;
    m_driver.whenShown<FrmSure>([&](FrmSure *dialog) {
        title = dialog->windowTitle();
        ok = dialog->cmdOK->text();
        cancel = dialog->cmdCancel->text();
        cancelShown = dialog->cmdCancel->isVisible();
        clickButton(dialog->cmdOK);
    });
    QVERIFY(frmSure().SHOWMSG(Value(u"只有訊息")));
    QCOMPARE(title, QStringLiteral("訊息視窗"));
    QCOMPARE(ok, QStringLiteral("確定"));
    QCOMPARE(cancel, QStringLiteral("取消"));
    QVERIFY(cancelShown);
    QVERIFY(!frmSure().elaList->Visible());
    QCOMPARE(frmSure().Height(), 5910.0);
}

void tst_FrmSure::buttonLayout_data()
{
    QTest::addColumn<Value>("mode");
    QTest::addColumn<bool>("single");
    QTest::newRow("N") << Value(u"N") << true;
    QTest::newRow("n") << Value(u"n") << true;
    QTest::newRow("Y") << Value(u"Y") << false;
    QTest::newRow("empty text") << Value(u"") << false;
    QTest::newRow("No") << Value(u"No") << false;
    QTest::newRow("Null") << Value::null() << false;
}

void tst_FrmSure::buttonLayout()
{
    QFETCH(Value, mode);
    QFETCH(bool, single);
    m_driver.whenShown<FrmSure>([](FrmSure *dialog) { clickButton(dialog->cmdOK); });
    QVERIFY(frmSure().SHOWMSG(Value(u"版面"), std::nullopt, mode));
    FrmSure &dialog = frmSure();
    QCOMPARE(dialog.cmdCancel->isHidden(), single);
    if (single) {
        QVERIFY(nearTwips(twips::left(dialog.cmdOK), 2160));
    } else {
        QVERIFY(nearTwips(twips::left(dialog.cmdOK), 815));
        QVERIFY(nearTwips(twips::left(dialog.cmdCancel), 3505));
        // The second button is placed from the first as read back: equal gaps.
        QCOMPARE(twips::left(dialog.cmdCancel),
                 2 * twips::left(dialog.cmdOK) + twips::width(dialog.cmdOK));
    }
    QCOMPARE(twips::top(dialog.cmdOK), 90.0);
    QCOMPARE(twips::width(dialog.cmdOK), 1875.0);
}

void tst_FrmSure::singleThenTwoButtonsPlacesBothAfresh()
{
    m_driver.whenShown<FrmSure>([](FrmSure *dialog) { clickButton(dialog->cmdOK); });
    QVERIFY(frmSure().SHOWMSG(Value(u"一"), std::nullopt, Value(u"N")));
    QVERIFY(frmSure().cmdCancel->isHidden());

    bool cancelVisible = false;
    m_driver.whenShown<FrmSure>([&](FrmSure *dialog) {
        cancelVisible = dialog->cmdCancel->isVisible();
        clickButton(dialog->cmdCancel);
    });
    QVERIFY(!frmSure().SHOWMSG(Value(u"二"), std::nullopt, Value(u"Y")));
    QVERIFY(cancelVisible);
    QVERIFY(nearTwips(twips::left(frmSure().cmdOK), 815));
    QVERIFY(nearTwips(twips::left(frmSure().cmdCancel), 3505));
}

void tst_FrmSure::windowHeight_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("shortSize");
    QTest::addColumn<double>("height");
    QTest::newRow("short without rows") << QStringList() << true << 4200.0;
    QTest::newRow("full without rows") << QStringList() << false << 5910.0;
    QTest::newRow("short asked, one-column rows hidden")
        << QStringList{u"只有一欄"_s} << true << 5910.0;
    QTest::newRow("short asked, list shown") << QStringList{u"a\tb"_s} << true << 5910.0;
}

void tst_FrmSure::windowHeight()
{
    QFETCH(QStringList, lines);
    QFETCH(bool, shortSize);
    QFETCH(double, height);
    for (const QString &line : lines)
        frmSure().AddLine(Value(line));
    m_driver.whenShown<FrmSure>([](FrmSure *dialog) { clickButton(dialog->cmdOK); });
    QVERIFY(showMsgSized(u"高度"_s, shortSize));
    QCOMPARE(frmSure().Height(), height);
}

// The message frame is sized for the window height of this call, not the last one.
void tst_FrmSure::messageFrameFitsAfterHeightChange()
{
    auto show = [this](bool shortSize) {
        int frameBottom = 0, contentHeight = 0;
        m_driver.whenShown<FrmSure>([&](FrmSure *dialog) {
            frameBottom = dialog->ela1->geometry().bottom() + 1;
            contentHeight = dialog->vsElastic2->height();
            clickButton(dialog->cmdOK);
        });
        showMsgSized(u"框"_s, shortSize);
        QVERIFY(frameBottom > 0);
        QVERIFY2(frameBottom <= contentHeight,
                 qPrintable(QStringLiteral("%1 > %2").arg(frameBottom).arg(contentHeight)));
        QVERIFY(nearTwips(twips::height(frmSure().ela1), twips::height(frmSure().vsElastic2) - 100));
    };
    show(false);
    show(true);
    show(false);
}

void tst_FrmSure::listVisibility_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("visible");
    QTest::newRow("two two-part lines") << QStringList{u"品名\t蘋果"_s, u"數量\t3"_s} << true;
    QTest::newRow("one line without tab") << QStringList{u"單獨"_s} << false;
    QTest::newRow("no lines") << QStringList() << false;
    QTest::newRow("line ending in tab") << QStringList{u"word\t"_s} << true;
    QTest::newRow("empty line: rows, no columns") << QStringList{QString()} << true;
}

void tst_FrmSure::listVisibility()
{
    QFETCH(QStringList, lines);
    QFETCH(bool, visible);
    for (const QString &line : lines)
        frmSure().AddLine(Value(line));
    bool shown = !visible;
    m_driver.whenShown<FrmSure>([&](FrmSure *dialog) {
        shown = dialog->elaList->isVisible();
        clickButton(dialog->cmdOK);
    });
    QVERIFY(frmSure().SHOWMSG(Value(u"清單")));
    QCOMPARE(shown, visible);
    const double content = twips::height(frmSure().vsElastic2);
    const double list = twips::height(frmSure().elaList);
    QVERIFY(
        nearTwips(twips::height(frmSure().ela1), visible ? content - list - 100 : content - 100));
}

void tst_FrmSure::blankMessageHidesFrame()
{
    frmSure().AddLine(Value(u"a\tb"));
    bool frameShown = true, listShown = false, buttonsShown = false;
    m_driver.whenShown<FrmSure>([&](FrmSure *dialog) {
        frameShown = dialog->ela1->isVisible();
        listShown = dialog->elaList->isVisible();
        buttonsShown = dialog->cmdOK->isVisible() && dialog->cmdCancel->isVisible();
        clickButton(dialog->cmdOK);
    });
    QVERIFY(frmSure().SHOWMSG(Value(u"   ")));
    QVERIFY(!frameShown);
    QVERIFY(listShown);
    QVERIFY(buttonsShown);

    // A tab is no blank: the frame shows.
    m_driver.whenShown<FrmSure>([&](FrmSure *dialog) {
        frameShown = dialog->ela1->isVisible();
        clickButton(dialog->cmdOK);
    });
    QVERIFY(frmSure().SHOWMSG(Value(u" \t ")));
    QVERIFY(frameShown);
}

void tst_FrmSure::closingAnswersFalseAfterEarlierTrue_data()
{
    QTest::addColumn<bool>("escape");
    QTest::newRow("close box") << false;
    QTest::newRow("Escape") << true;
}

void tst_FrmSure::closingAnswersFalseAfterEarlierTrue()
{
    QFETCH(bool, escape);
    m_driver.whenShown<FrmSure>([](FrmSure *dialog) { clickButton(dialog->cmdOK); });
    QVERIFY(frmSure().SHOWMSG(Value(u"第一次")));
    FrmSure *before = &frmSure();

    frmSure().AddLine(Value(u"留\t下"));
    m_driver.whenShown<FrmSure>([escape](FrmSure *dialog) {
        if (escape)
            QTest::keyClick(dialog->focusWidget() ? dialog->focusWidget() : dialog, Qt::Key_Escape);
        else
            dialog->close();
    });
    QCOMPARE(frmSure().SHOWMSG(Value(u"第二次")), false);
    QVERIFY(m_driver.seen());
    QCOMPARE(frmSure().fbChoice(), false);
    // Hidden, not destroyed: the same window with what it held.
    QCOMPARE(&frmSure(), before);
    QCOMPARE(frmSure().elaMsg->Caption(), QStringLiteral("第二次"));
    QCOMPARE(frmSure().fgList->Rows(), 1);
}

// An application told to quit ends every event loop, the dialog's too: that is no
// answer, and must never pass for the choice of an earlier use.
void tst_FrmSure::quittingDuringTheWaitAnswersFalse()
{
    m_driver.whenShown<FrmSure>([](FrmSure *dialog) { clickButton(dialog->cmdOK); });
    QVERIFY(frmSure().SHOWMSG(Value(u"第一次")));

    m_driver.whenShown<FrmSure>([](FrmSure *) { QCoreApplication::exit(0); });
    QCOMPARE(frmSure().SHOWMSG(Value(u"第二次")), false);
    QVERIFY(m_driver.seen());
    QVERIFY(!frmSure().isVisible());
    // The quit stays pending until an application loop takes it; take it here.
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();

    m_driver.whenShown<FrmSure>([](FrmSure *dialog) { clickButton(dialog->cmdOK); });
    QVERIFY(frmSure().SHOWMSG(Value(u"第三次")));
}

void tst_FrmSure::enterAndSpacePressFocusedButton_data()
{
    QTest::addColumn<bool>("onOK");
    QTest::addColumn<int>("key");
    QTest::newRow("Enter on 取消") << false << int(Qt::Key_Return);
    QTest::newRow("Enter on 確定") << true << int(Qt::Key_Return);
    QTest::newRow("keypad Enter on 取消") << false << int(Qt::Key_Enter);
    QTest::newRow("Space on 確定") << true << int(Qt::Key_Space);
    QTest::newRow("Space on 取消") << false << int(Qt::Key_Space);
}

void tst_FrmSure::enterAndSpacePressFocusedButton()
{
    QFETCH(bool, onOK);
    QFETCH(int, key);
    m_driver.whenShown<FrmSure>([&](FrmSure *dialog) {
        QPushButton *button = onOK ? dialog->cmdOK : dialog->cmdCancel;
        button->setFocus();
        QTest::keyClick(button, Qt::Key(key));
    });
    QCOMPARE(frmSure().SHOWMSG(Value(u"鍵盤")), onOK);
}

void tst_FrmSure::nullParameterIsReportedAndNothingShown_data()
{
    QTest::addColumn<int>("position");
    QTest::newRow("message") << 0;
    QTest::newRow("title") << 1;
    QTest::newRow("OK caption") << 4;
    QTest::newRow("Cancel caption") << 5;
    QTest::newRow("short size") << 6;
}

void tst_FrmSure::nullParameterIsReportedAndNothingShown()
{
    QFETCH(int, position);
    ReportCapture reports;
    std::optional<Value> args[7];
    args[0] = Value(u"訊息");
    args[position] = Value::null();
    m_driver.whenShown<FrmSure>([](FrmSure *dialog) { clickButton(dialog->cmdOK); });
    const bool answer
        = frmSure().SHOWMSG(*args[0], args[1], args[2], nullptr, args[4], args[5], args[6]);
    QCOMPARE(answer, false);
    QVERIFY(!m_driver.seen());
    QCOMPARE(reports.warnings.size(), 1);
    QCOMPARE(reports.count(u"frmSure_ShowMsg"_s), 1);
}

void tst_FrmSure::nullParameterThroughRealWarningBox()
{
    QString boxText;
    m_driver.whenShown<QMessageBox>([&](QMessageBox *box) {
        boxText = box->text();
        clickButton(qobject_cast<QPushButton *>(box->button(QMessageBox::Ok)));
    });
    QCOMPARE(frmSure().SHOWMSG(Value::null()), false);
    QVERIFY(m_driver.seen());
    QVERIFY2(boxText.contains(u"frmSure_ShowMsg"_s), qPrintable(boxText));
    QVERIFY(!frmSure().isVisible());
}

void tst_FrmSure::secondShowMsgDuringModalWaitChangesNothing()
{
    ReportCapture reports;
    frmSure().AddLine(Value(u"原\t來"));
    bool nestedAnswer = true;
    QString captionAfter, titleAfter;
    int rowsAfter = -1;
    m_driver.whenShown<FrmSure>([&](FrmSure *dialog) {
        adodb::MemoryRecordset records({u"欄"_s});
        records.addRecord({Value(u"值")});
        nestedAnswer = frmSure().SHOWMSG(Value(u"插隊"), Value(u"別的"), Value(u"N"), &records);
        captionAfter = dialog->elaMsg->Caption();
        titleAfter = dialog->windowTitle();
        rowsAfter = dialog->fgList->Rows();
        QVERIFY(dialog->isVisible());
        clickButton(dialog->cmdOK);
    });
    QCOMPARE(frmSure().SHOWMSG(Value(u"原訊息"), Value(u"原標題")), true);
    QCOMPARE(nestedAnswer, false);
    QCOMPARE(captionAfter, QStringLiteral("原訊息"));
    QCOMPARE(titleAfter, QStringLiteral("原標題"));
    QCOMPARE(rowsAfter, 1);
    QCOMPARE(reports.warnings.size(), 1);
    QCOMPARE(reports.count(u"frmSure_ShowMsg"_s), 1);
    QVERIFY(reports.warnings.first().text.contains(u"400"_s));
}

void tst_FrmSure::recordsetReplacesLinesAndShowsList()
{
    frmSure().AddLine(Value(u"舊\t行"));
    adodb::MemoryRecordset records({u"編號"_s, u"名稱"_s});
    records.addRecord({Value(qint32(7)), Value(u"七")});
    bool listShown = false;
    m_driver.whenShown<FrmSure>([&](FrmSure *dialog) {
        listShown = dialog->elaList->isVisible();
        clickButton(dialog->cmdOK);
    });
    QVERIFY(frmSure().SHOWMSG(Value(u"卡片"), std::nullopt, std::nullopt, &records));
    QVERIFY(listShown);
    QCOMPARE(frmSure().fgList->Rows(), 2);
    QCOMPARE(frmSure().fgList->cellText(0, 0), QStringLiteral("編號"));
    QCOMPARE(frmSure().fgList->cellText(1, 1), QStringLiteral("七"));

    // A recordset without records leaves one column and no rows: no list.
    adodb::MemoryRecordset empty({u"編號"_s});
    m_driver.whenShown<FrmSure>([&](FrmSure *dialog) {
        listShown = dialog->elaList->isVisible();
        clickButton(dialog->cmdOK);
    });
    QVERIFY(frmSure().SHOWMSG(Value(u"空"), std::nullopt, std::nullopt, &empty));
    QVERIFY(!listShown);
}

void tst_FrmSure::controlCopiesMessageAndList()
{
    frmSure().AddLine(Value(u"品名\t蘋果"));
    frmSure().AddLine(Value(u"數量\t3"));
    m_driver.whenShown<FrmSure>([](FrmSure *dialog) {
        dialog->cmdOK->setFocus();
        QTest::keyClick(dialog->cmdOK, Qt::Key_C, Qt::ControlModifier);
        clickButton(dialog->cmdOK);
    });
    QVERIFY(frmSure().SHOWMSG(Value(u"訂單")));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("訂單\n品名\t蘋果\n數量\t3\n"));
}

// The window system's accessibility bridge reads the name and description through
// the accessible interface; the alert that announces the dialog goes out on show.
void tst_FrmSure::announcesMessageToScreenReaders()
{
    QString name, description, labelText;
    m_driver.whenShown<FrmSure>([&](FrmSure *dialog) {
        QAccessibleInterface *window = QAccessible::queryAccessibleInterface(dialog);
        name = window->text(QAccessible::Name);
        description = window->text(QAccessible::Description);
        QAccessibleInterface *message = QAccessible::queryAccessibleInterface(
            dialog->elaMsg->label());
        labelText = message->text(QAccessible::Name);
        clickButton(dialog->cmdOK);
    });
    QVERIFY(frmSure().SHOWMSG(Value(u"請注意"), Value(u"提醒")));
    QCOMPARE(name, QStringLiteral("提醒"));
    QCOMPARE(description, QStringLiteral("請注意"));
    QCOMPARE(labelText, QStringLiteral("請注意"));
}

void tst_FrmSure::longMessageWraps()
{
    const QString message = u"這是一段很長的訊息，"_s.repeated(60);
    int labelWidth = 0, viewportWidth = 0, labelHeight = 0;
    m_driver.whenShown<FrmSure>([&](FrmSure *dialog) {
        QLabel *label = dialog->elaMsg->label();
        labelWidth = label->width();
        labelHeight = label->height();
        viewportWidth = label->parentWidget()->width();
        clickButton(dialog->cmdOK);
    });
    QVERIFY(frmSure().SHOWMSG(Value(message)));
    QVERIFY(labelWidth <= viewportWidth);              // wrapped, not cut off at the side
    QVERIFY(labelHeight > frmSure().elaMsg->height()); // taller than the panel: it scrolls
}

QTEST_MAIN(tst_FrmSure)
#include "tst_frmsure.moc"
