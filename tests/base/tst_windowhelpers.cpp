// Window helpers: CenterForm's placement, and entry fields that move the focus by key
// and select their text on entry.
#include "suiteframe/base/basBase.h"
#include "suiteframe/controls/composition.h"
#include "suiteframe/controls/form.h"
#include "suiteframe/platform/desktop.h"
#include "support/modaldriver.h"
#include "support/runtimeerror.h"

#include <QApplication>
#include <QDialog>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

using basBase::CenterForm;
using basBase::MoveFocusByKey;
using basBase::SelectAllText;

namespace {

// A window of three entry fields wired to the field convention, in this tab order.
class ThreeFields : public controls::Form
{
public:
    ThreeFields()
    {
        setObjectName(QStringLiteral("frmFields"));
        auto *layout = new QVBoxLayout(this);
        for (QLineEdit **field : {&first, &second, &third}) {
            *field = new QLineEdit(this);
            layout->addWidget(*field);
            basBase::wireEntryField(*field);
        }
        first->setObjectName(QStringLiteral("txtFirst"));
        second->setObjectName(QStringLiteral("txtSecond"));
        third->setObjectName(QStringLiteral("txtThird"));
        second->setText(QStringLiteral("second text"));
        third->setText(QStringLiteral("third text"));
    }

    QLineEdit *first = nullptr;
    QLineEdit *second = nullptr;
    QLineEdit *third = nullptr;
};

} // namespace

class tst_WindowHelpers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void centerFormPlacesAboveTheCentre_data();
    void centerFormPlacesAboveTheCentre();

    void keysMoveTheFocusAlongTheTabOrder_data();
    void keysMoveTheFocusAlongTheTabOrder();
    void focusMovesOnlyOnceControlReturnsToTheEventLoop();
    void otherKeysLeaveTheFocus_data();
    void otherKeysLeaveTheFocus();
    void enteringAFieldSelectsItsText_data();
    void enteringAFieldSelectsItsText();
    void enterIsSwallowed();
    void compositionIsFinishedBeforeACommand_data();
    void compositionIsFinishedBeforeACommand();
    void wiringTwiceMovesOnce();
    void selectAllTextOnAnEmptyField();
    void selectAllTextRefusesAWidgetWithoutText();
    void moveFocusByKeyWithoutAnActiveWindow();

private:
    void showActive(QWidget &window);
};

void tst_WindowHelpers::initTestCase()
{
    // The screen that main() configured.
    QCOMPARE(platform::desktop::screenWidthTwips(), 1024 * 15.0);
    QCOMPARE(platform::desktop::screenHeightTwips(), 768 * 15.0);
}

void tst_WindowHelpers::cleanup()
{
    QCoreApplication::processEvents();
    QCOMPARE(visibleWindows(), QStringList());
}

void tst_WindowHelpers::showActive(QWidget &window)
{
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

void tst_WindowHelpers::centerFormPlacesAboveTheCentre_data()
{
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("height");
    QTest::addColumn<double>("left");
    QTest::addColumn<double>("top");

    // Top is 3322.5 twips, 221.5 pixels: the window system places it at whole pixels.
    QTest::newRow("6000 x 4500") << 6000.0 << 4500.0 << 4680.0 << 222 * 15.0;
    QTest::newRow("as high as the screen less 375") << 15360.0 << 11145.0 << 0.0 << 0.0;
    // (11520 - 12000 - 375) / 2 = -427.5 twips, -28.5 pixels.
    QTest::newRow("taller than the screen") << 3000.0 << 12000.0 << 6180.0 << -29 * 15.0;
    QTest::newRow("wider than the screen") << 16500.0 << 375.0 << -570.0 << 5385.0;
}

void tst_WindowHelpers::centerFormPlacesAboveTheCentre()
{
    QFETCH(double, width);
    QFETCH(double, height);
    QFETCH(double, left);
    QFETCH(double, top);

    controls::Form form;
    form.setClientSize(width, height);
    form.move(7, 9);
    CenterForm(form);
    QCOMPARE(form.Left(), left);
    QCOMPARE(form.Top(), top);
}

void tst_WindowHelpers::keysMoveTheFocusAlongTheTabOrder_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("to");

    QTest::newRow("enter forward") << 0 << int(Qt::Key_Return) << 1;
    QTest::newRow("keypad enter forward") << 1 << int(Qt::Key_Enter) << 2;
    QTest::newRow("down forward") << 1 << int(Qt::Key_Down) << 2;
    QTest::newRow("up back") << 2 << int(Qt::Key_Up) << 1;
    QTest::newRow("up from the first around to the last") << 0 << int(Qt::Key_Up) << 2;
    QTest::newRow("enter from the last around to the first") << 2 << int(Qt::Key_Return) << 0;
    QTest::newRow("down from the last around to the first") << 2 << int(Qt::Key_Down) << 0;
}

void tst_WindowHelpers::keysMoveTheFocusAlongTheTabOrder()
{
    QFETCH(int, from);
    QFETCH(int, key);
    QFETCH(int, to);

    ThreeFields window;
    const QList<QLineEdit *> fields{window.first, window.second, window.third};
    showActive(window);
    fields[from]->setFocus();
    QCOMPARE(QApplication::focusWidget(), fields[from]);

    QTest::keyClick(fields[from], Qt::Key(key));
    QCoreApplication::processEvents();
    QCOMPARE(QApplication::focusWidget(), fields[to]);
}

void tst_WindowHelpers::focusMovesOnlyOnceControlReturnsToTheEventLoop()
{
    ThreeFields window;
    showActive(window);
    window.first->setFocus();

    MoveFocusByKey(13);
    QCOMPARE(QApplication::focusWidget(), window.first);
    QCoreApplication::processEvents();
    QCOMPARE(QApplication::focusWidget(), window.second);
}

void tst_WindowHelpers::otherKeysLeaveTheFocus_data()
{
    QTest::addColumn<int>("keyCode");
    QTest::newRow("tab code") << 9;
    QTest::newRow("left arrow") << 37;
    QTest::newRow("right arrow") << 39;
    QTest::newRow("letter") << 65;
    QTest::newRow("zero") << 0;
}

void tst_WindowHelpers::otherKeysLeaveTheFocus()
{
    QFETCH(int, keyCode);

    ThreeFields window;
    showActive(window);
    window.second->setFocus();
    MoveFocusByKey(qint16(keyCode));
    QCoreApplication::processEvents();
    QCOMPARE(QApplication::focusWidget(), window.second);

    // Typed into the field, an ordinary key still does what it does there.
    QTest::keyClick(window.second, Qt::Key_X);
    QCoreApplication::processEvents();
    QCOMPARE(QApplication::focusWidget(), window.second);
    QVERIFY(window.second->text().contains(u'x'));
}

void tst_WindowHelpers::enteringAFieldSelectsItsText_data()
{
    QTest::addColumn<int>("reason");
    // Qt's line edit selects all by itself on Tab only; the convention selects on any.
    QTest::newRow("by program") << int(Qt::OtherFocusReason);
    QTest::newRow("by window activation") << int(Qt::ActiveWindowFocusReason);
    QTest::newRow("by tab") << int(Qt::TabFocusReason);
    QTest::newRow("by a click into the text") << int(Qt::MouseFocusReason);
}

void tst_WindowHelpers::enteringAFieldSelectsItsText()
{
    QFETCH(int, reason);

    ThreeFields window;
    showActive(window);
    window.first->setFocus();
    window.third->setCursorPosition(2);
    if (reason == Qt::MouseFocusReason)
        QTest::mouseClick(window.third, Qt::LeftButton, {}, QPoint(8, window.third->height() / 2));
    else
        window.third->setFocus(Qt::FocusReason(reason));
    QCOMPARE(QApplication::focusWidget(), window.third);
    QCOMPARE(window.third->selectedText(), QStringLiteral("third text"));
    QCOMPARE(window.third->selectionStart(), 0);
}

void tst_WindowHelpers::compositionIsFinishedBeforeACommand_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("a button's Alt key") << QStringLiteral("shortcut");
    QTest::newRow("a click into another field") << QStringLiteral("click");
    QTest::newRow("the window closing") << QStringLiteral("close");
}

// With no input method to answer (offscreen), the word shown as being composed is what
// the command finds in its field, once, and nothing lands in the field entered.
void tst_WindowHelpers::compositionIsFinishedBeforeACommand()
{
    QFETCH(QString, command);
    ThreeFields window;
    auto *save = new QPushButton(QStringLiteral("&S存檔"), &window);
    window.layout()->addWidget(save);
    QString seen;
    connect(save, &QPushButton::clicked, [&] { seen = window.first->text(); });
    showActive(window);
    window.first->setFocus();
    QInputMethodEvent composing(QStringLiteral("林美"), {});
    QApplication::sendEvent(window.first, &composing);
    QVERIFY(controls::composition::isOpen());

    // Through the window, as the window system delivers them.
    if (command == u"shortcut") {
        QTest::keyClick(window.windowHandle(), Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE(seen, QStringLiteral("林美")); // the button is pressed as it is drawn pressed
    } else if (command == u"click") {
        QTest::mouseClick(window.windowHandle(),
                          Qt::LeftButton,
                          {},
                          window.second->geometry().center());
    } else {
        window.close();
    }

    QCOMPARE(window.first->text(), QStringLiteral("林美"));
    QCOMPARE(window.second->text(), QStringLiteral("second text"));
    QVERIFY(!controls::composition::isOpen());
}

void tst_WindowHelpers::enterIsSwallowed()
{
    QDialog dialog;
    dialog.setObjectName(QStringLiteral("frmDialog"));
    auto *layout = new QVBoxLayout(&dialog);
    auto *field = new QLineEdit(&dialog);
    auto *next = new QLineEdit(&dialog);
    auto *ok = new QPushButton(QStringLiteral("OK"), &dialog);
    ok->setDefault(true);
    layout->addWidget(field);
    layout->addWidget(next);
    layout->addWidget(ok);
    basBase::wireEntryField(field);
    QSignalSpy clicked(ok, &QPushButton::clicked);
    QSignalSpy returnPressed(field, &QLineEdit::returnPressed);
    showActive(dialog);
    field->setFocus();

    QTest::keyClick(field, Qt::Key_Return);
    QCoreApplication::processEvents();
    QCOMPARE(clicked.count(), 0);
    QCOMPARE(returnPressed.count(), 0);
    QVERIFY(dialog.isVisible());
    QCOMPARE(QApplication::focusWidget(), next);
}

void tst_WindowHelpers::wiringTwiceMovesOnce()
{
    ThreeFields window;
    basBase::wireEntryField(window.first);
    showActive(window);
    window.first->setFocus();

    QTest::keyClick(window.first, Qt::Key_Down);
    QCoreApplication::processEvents();
    QCOMPARE(QApplication::focusWidget(), window.second);
}

void tst_WindowHelpers::selectAllTextOnAnEmptyField()
{
    QLineEdit field;
    SelectAllText(field);
    QCOMPARE(field.selectionLength(), 0);
    QCOMPARE(field.cursorPosition(), 0);
}

void tst_WindowHelpers::selectAllTextRefusesAWidgetWithoutText()
{
    QLabel label(QStringLiteral("no selection here"));
    QCOMPARE(errorNumberOf([&] { SelectAllText(label); }), platform::ErrorNumber::NotSupported);
}

void tst_WindowHelpers::moveFocusByKeyWithoutAnActiveWindow()
{
    QVERIFY(!QApplication::activeWindow());
    MoveFocusByKey(13);
    MoveFocusByKey(38);
    QCoreApplication::processEvents();
    QVERIFY(!QApplication::focusWidget());
}

// The helpers are shown on a screen of 1024 x 768 pixels, offscreen. The platform and
// its screen must be set before the application exists, hence no QTEST_MAIN.
int main(int argc, char *argv[])
{
    QTemporaryDir configDir;
    const QString config = configDir.filePath(QStringLiteral("screen.json"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    file.write(R"({"screens": [{"name": "screen", "x": 0, "y": 0, "width": 1024, "height": 768,
                   "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config));

    QApplication app(argc, argv);
    tst_WindowHelpers test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_windowhelpers.moc"
