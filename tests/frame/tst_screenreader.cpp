// The main window and the message dialog as a screen reader reads them: over the
// desktop's accessibility bus (AT-SPI), from outside the process, by the reader script
// tests/support/atspi-tree. Runs under on-desktop and on-accessibility-bus.
#include "suiteframe/frame/application.h"
#include "suiteframe/frame/fmMain.h"

#include "suiteframe/base/basBase.h"

#include "suiteframe/adodb/memoryrecordset.h"
#include "suiteframe/controls/panel.h"
#include "suiteframe/dialogs/messagepanel.h"
#include "support/dialogtesting.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>

#include <algorithm>
#include <functional>
#include <utility>

using namespace dialogtesting;
using namespace Qt::StringLiterals;

namespace {

// A reader drops the focus events of a control inside an object of one of these roles
// that is not active: it takes it for another window.
const QStringList WindowRoles{u"frame"_s, u"window"_s, u"dialog"_s, u"alert"_s};

using Node = QJsonObject;
using Match = std::function<bool(const Node &)>;

bool hasState(const Node &node, const QString &state)
{
    return node[u"states"_s].toArray().contains(state);
}

// The path from the root to the first object that matches, root first; empty for none.
QList<Node> pathTo(const Node &node, const Match &match)
{
    if (match(node))
        return {node};
    for (const QJsonValue child : node[u"children"_s].toArray()) {
        QList<Node> path = pathTo(child.toObject(), match);
        if (!path.isEmpty()) {
            path.prepend(node);
            return path;
        }
    }
    return {};
}

Match role(const QString &role, const QString &name = QString())
{
    return [=](const Node &node) {
        return node[u"role"_s].toString() == role
               && (name.isNull() || node[u"name"_s].toString() == name);
    };
}

Match focused()
{
    return [](const Node &node) { return hasState(node, u"focused"_s); };
}

// This process's tree as the reader script reads it; the process serves the reader's
// questions from its event loop while it waits.
Node readTree()
{
    QProcess reader;
    reader.start(QFINDTESTDATA("../support/atspi-tree"),
                 {QString::number(QCoreApplication::applicationPid())});
    if (!QTest::qWaitFor([&] { return reader.state() == QProcess::NotRunning; }, 60000))
        reader.kill();
    const QJsonDocument tree = QJsonDocument::fromJson(reader.readAllStandardOutput());
    if (tree.isNull())
        qWarning("%s", reader.readAllStandardError().constData());
    return tree.object();
}

// The window roles among the focused control's ancestors that are not active.
QStringList inactiveWindowsAroundTheFocus(const Node &tree)
{
    QStringList inactive;
    for (const Node &node : pathTo(tree, focused()))
        if (WindowRoles.contains(node[u"role"_s].toString()) && !hasState(node, u"active"_s))
            inactive << node[u"role"_s].toString() + u' ' + node[u"name"_s].toString();
    return inactive;
}

// What a screen reader hears while it listens: the focus and name changes of this
// process, heard by the listener script tests/support/atspi-events.
class Listener
{
public:
    bool start()
    {
        m_process.start(QFINDTESTDATA("../support/atspi-events"),
                        {QString::number(QCoreApplication::applicationPid())});
        return QTest::qWaitFor([this] { return heard().startsWith("ready\n"); }, 30000);
    }

    // What was heard so far.
    QList<Node> events()
    {
        QList<Node> events;
        for (const QByteArray &line : heard().split('\n'))
            if (line.startsWith('{'))
                events << QJsonDocument::fromJson(line).object();
        return events;
    }

    // Waits, up to timeoutMs, until what was heard holds the awaited; events arrive
    // from the bus after the change that caused them.
    bool waitUntilHeard(const std::function<bool(const QList<Node> &)> &awaited,
                        int timeoutMs = 10000)
    {
        return QTest::qWaitFor([&] { return awaited(events()); }, timeoutMs);
    }

    QList<Node> stop()
    {
        m_process.closeWriteChannel();
        if (!QTest::qWaitFor([this] { return m_process.state() == QProcess::NotRunning; }, 10000))
            m_process.kill();
        return events();
    }

private:
    const QByteArray &heard()
    {
        m_heard += m_process.readAllStandardOutput();
        return m_heard;
    }

    QProcess m_process;
    QByteArray m_heard;
};

bool wasHeard(const QList<Node> &events,
              const QString &type,
              const QString &role,
              const QString &name)
{
    return std::any_of(events.begin(), events.end(), [&](const Node &event) {
        // A focus change is heard as the focus arriving (1) and as it leaving (0).
        const bool arriving = !type.endsWith(u":focused"_s) || event[u"detail"_s].toInt() == 1;
        return event[u"type"_s].toString() == type && event[u"role"_s].toString() == role
               && event[u"name"_s].toString() == name && arriving;
    });
}

// The type of the first event heard of the object; a reader takes whatever comes first
// as where the focus is, and stays silent when the focus itself follows.
QString firstHeardOf(const QList<Node> &events, const QString &role, const QString &name)
{
    for (const Node &event : events) {
        if (event[u"role"_s].toString() == role && event[u"name"_s].toString() == name)
            return event[u"type"_s].toString();
    }
    return {};
}

// A program's window with two entry fields and a button in its body, and nothing that
// gives the focus to any of them.
class BodyWindow : public frame::FmMain
{
protected:
    void InitForm() override
    {
        int top = 0;
        for (const QString &label : {u"員工編號"_s, u"姓名"_s}) {
            auto *field = new QLineEdit(vsElastic1);
            field->setAccessibleName(label);
            field->move(0, std::exchange(top, top + 30));
            basBase::wireEntryField(field);
        }
        auto *query = new QPushButton(u"查詢"_s, vsElastic1);
        query->move(0, top);
    }
};

} // namespace

class tst_ScreenReader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("SUITEFRAME_ACCESSIBILITY_BUS"))
            QSKIP("needs the accessibility bus: run under tests/support/on-accessibility-bus");
        controls::installFontSubstitutes();
    }

    void mainWindowReadsAsItLooks();
    void dialogReadsAsADialog_data();
    void dialogReadsAsADialog();
    void changesAreAnnounced();
    void contextMenuReadsInTheClerksLanguage();
};

void tst_ScreenReader::mainWindowReadsAsItLooks()
{
    BodyWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.elaMsg->setCaption(u"已載入 A001 林志明"_s);
    window.findChildren<QLineEdit *>().last()->setText(u"林志明"_s);

    const Node tree = readTree();
    QVERIFY(!tree.isEmpty());
    const QList<Node> focus = pathTo(tree, focused());
    QVERIFY(!focus.isEmpty());
    QCOMPARE(focus.last()[u"role"_s].toString(), u"text"_s);
    QCOMPARE(focus.last()[u"name"_s].toString(), u"員工編號"_s);
    QCOMPARE(inactiveWindowsAroundTheFocus(tree), QStringList());
    QVERIFY(!pathTo(tree, role(u"status bar"_s, u"已載入 A001 林志明"_s)).isEmpty());
    // A reader speaks a field's text run by run: the run must hold all of it.
    const QList<Node> name = pathTo(tree, role(u"text"_s, u"姓名"_s));
    QVERIFY(!name.isEmpty());
    QCOMPARE(name.last()[u"textRun"_s].toArray(), (QJsonArray{0, 3}));
    window.hide();
}

void tst_ScreenReader::dialogReadsAsADialog_data()
{
    QTest::addColumn<QString>("buttons");
    QTest::addColumn<bool>("card");
    QTest::addColumn<QString>("role");
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QJsonArray>("rowHeaders");

    const QStringList lines{u"客戶"_s, u"王小明"_s, u"金額"_s, u"1200"_s};
    QTest::newRow("a question with message lines")
        << u"Y"_s << false << u"dialog"_s << lines << QJsonArray{QJsonValue(), QJsonValue()};
    QTest::newRow("a notice with message lines")
        << u"N"_s << false << u"alert"_s << lines << QJsonArray{QJsonValue(), QJsonValue()};
    // The card's field names head its rows.
    QTest::newRow("a record card")
        << u"Y"_s << true << u"dialog"_s
        << QStringList{u"編號"_s, u"A001"_s, u"A002"_s, u"姓名"_s, u"林志明"_s, u"陳美玲"_s}
        << QJsonArray{u"編號"_s, u"姓名"_s};
}

void tst_ScreenReader::dialogReadsAsADialog()
{
    QFETCH(QString, buttons);
    QFETCH(bool, card);
    QFETCH(QString, role);
    QFETCH(QStringList, cells);
    QFETCH(QJsonArray, rowHeaders);
    adodb::MemoryRecordset staff({u"編號"_s, u"姓名"_s});
    staff.addRecord({Value(u"A001"_s), Value(u"林志明"_s)});
    staff.addRecord({Value(u"A002"_s), Value(u"陳美玲"_s)});
    frmSure().ClearMsgFrom();
    if (!card) {
        frmSure().AddLine(Value(u"客戶\t王小明"_s));
        frmSure().AddLine(Value(u"金額\t1200"_s));
    }
    Node tree;
    ModalDriver driver;
    driver.whenActive<FrmSure>([&tree](FrmSure *dialog) {
        tree = readTree();
        clickButton(dialog->cmdOK);
    });
    frmSure().SHOWMSG(Value(u"確定要存檔嗎？"_s),
                      Value(u"存檔"_s),
                      Value(buttons),
                      card ? &staff : nullptr);
    QVERIFY(driver.seen());

    const QList<Node> dialog = pathTo(tree, ::role(role, u"存檔"_s));
    QVERIFY2(!dialog.isEmpty(), QJsonDocument(tree).toJson().constData());
    QVERIFY(hasState(dialog.last(), u"modal"_s));
    QVERIFY(hasState(dialog.last(), u"active"_s));
    const QList<Node> focus = pathTo(dialog.last(), focused());
    QVERIFY(!focus.isEmpty());
    QCOMPARE(focus.last()[u"role"_s].toString(), u"push button"_s);
    QCOMPARE(focus.last()[u"name"_s].toString(), u"確定"_s);
    QCOMPARE(inactiveWindowsAroundTheFocus(tree), QStringList());
    QVERIFY(!pathTo(dialog.last(), ::role(u"label"_s, u"確定要存檔嗎？"_s)).isEmpty());

    const QList<Node> list = pathTo(dialog.last(), ::role(u"table"_s));
    QVERIFY(!list.isEmpty());
    QStringList read;
    for (const QJsonValue cell : list.last()[u"children"_s].toArray())
        read << cell[u"name"_s].toString();
    QCOMPARE(read, cells);
    QCOMPARE(list.last()[u"table"_s][u"rowHeaders"_s].toArray(), rowHeaders);
}

// A new message in the message bar, the focus moving on Tab in the window (a field
// entered for the first time heard of before its caret) and in the dialog, the dialog's
// button as the dialog opens, and the list's current cell as the arrow keys move it.
void tst_ScreenReader::changesAreAnnounced()
{
    BodyWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    Listener listener;
    QVERIFY(listener.start());

    window.elaMsg->setCaption(u"已存檔 A001 林志明"_s);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    const QString nameChange = u"object:property-change:accessible-name"_s;
    const QString focus = u"object:state-changed:focused"_s;
    const auto heardCellFocus = [&](const QList<Node> &events) {
        return wasHeard(events, focus, u"table cell"_s, u"王小明"_s);
    };
    bool tabMovedTheFocus = false;
    ModalDriver driver;
    driver.whenActive<FrmSure>([&](FrmSure *dialog) {
        QTest::keyClick(dialog->cmdOK, Qt::Key_Tab);
        // The dialog gives the focus on once its own handling of the key is done.
        tabMovedTheFocus = QTest::qWaitFor([dialog] { return dialog->cmdCancel->hasFocus(); }, 3000);
        dialog->fgList->setFocus(Qt::TabFocusReason);
        QTest::keyClick(dialog->fgList, Qt::Key_Down);
        QTest::keyClick(dialog->fgList, Qt::Key_Right);
        // The reader asks about a cell it heard of while the list is still up.
        listener.waitUntilHeard(heardCellFocus);
        clickButton(dialog->cmdOK);
    });
    frmSure().ClearMsgFrom();
    frmSure().AddLine(Value(u"客戶\t王小明"_s));
    frmSure().SHOWMSG(Value(u"確定要存檔嗎？"_s), Value(u"存檔"_s), Value(u"Y"_s));
    QVERIFY2(tabMovedTheFocus, "Tab left the focus on the dialog's first button");
    const auto everythingHeard = [&](const QList<Node> &events) {
        return wasHeard(events, nameChange, u"status bar"_s, u"已存檔 A001 林志明"_s)
               && wasHeard(events, focus, u"push button"_s, u"查詢"_s)
               && wasHeard(events, focus, u"push button"_s, u"確定"_s)
               && wasHeard(events, focus, u"push button"_s, u"取消"_s) && heardCellFocus(events);
    };
    listener.waitUntilHeard(everythingHeard);
    const QList<Node> heard = listener.stop();
    const auto said = [&heard] {
        QStringList lines;
        for (const Node &event : heard)
            lines << QJsonDocument(event).toJson(QJsonDocument::Compact);
        return lines.join(u'\n').toUtf8();
    };
    window.hide();

    QVERIFY2(wasHeard(heard, nameChange, u"status bar"_s, u"已存檔 A001 林志明"_s),
             said().constData());
    QCOMPARE(firstHeardOf(heard, u"text"_s, u"姓名"_s), focus);
    QVERIFY2(wasHeard(heard, focus, u"push button"_s, u"查詢"_s), said().constData());
    QVERIFY2(wasHeard(heard, focus, u"push button"_s, u"確定"_s), said().constData());
    QVERIFY2(wasHeard(heard, focus, u"push button"_s, u"取消"_s), said().constData());
    QVERIFY2(wasHeard(heard, focus, u"table cell"_s, u"王小明"_s), said().constData());
}

// A field's context menu as a reader hears it while the clerk arrows through its items:
// in the clerk's language, from Qt's translations as a program of the frame loads them.
void tst_ScreenReader::contextMenuReadsInTheClerksLanguage()
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::Taiwan));
    frame::translateQtTexts(*QCoreApplication::instance());
    BodyWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    // Every item of the menu enabled: a typing to undo, part of it selected to cut and
    // copy (and not all, to select), a text to paste.
    QLineEdit *field = window.findChildren<QLineEdit *>().last();
    field->setFocus();
    QTRY_VERIFY(field->hasFocus());
    QTest::keyClicks(field, u"A001"_s);
    field->setSelection(0, 2);
    QVERIFY(field->hasSelectedText());
    QGuiApplication::clipboard()->setText(u"林志明"_s);
    Listener listener;
    QVERIFY(listener.start());

    const QPoint centre = field->rect().center();
    QContextMenuEvent ask(QContextMenuEvent::Keyboard, centre, field->mapToGlobal(centre));
    QApplication::sendEvent(field, &ask); // the menu pops up and the test goes on
    QVERIFY(QTest::qWaitFor([] { return QApplication::activePopupWidget(); }, 10000));
    QWidget *menu = QApplication::activePopupWidget();
    const QStringList words{u"復原"_s, u"剪下"_s, u"複製"_s, u"貼上"_s, u"全部選擇"_s};
    // An item's name may carry its access key and its shortcut after the word.
    const auto itemsHeard = [](const QList<Node> &events) {
        QStringList items;
        for (const Node &event : events) {
            if (event[u"role"_s].toString() == u"menu item"_s)
                items << event[u"name"_s].toString();
        }
        return items;
    };
    const auto allHeard = [&](const QList<Node> &events) {
        const QStringList items = itemsHeard(events);
        return std::all_of(words.begin(), words.end(), [&](const QString &word) {
            return std::any_of(items.begin(), items.end(), [&](const QString &item) {
                return item.startsWith(word);
            });
        });
    };
    for (int item = 0; item < 10 && !allHeard(listener.events()); ++item) {
        QTest::keyClick(menu, Qt::Key_Down);
        listener.waitUntilHeard(allHeard, 500);
    }
    menu->close();
    window.hide();
    QLocale::setDefault(before);
    const QList<Node> heard = listener.stop();
    QVERIFY2(allHeard(heard), qPrintable(itemsHeard(heard).join(u" / ")));
}

QTEST_MAIN(tst_ScreenReader)
#include "tst_screenreader.moc"
