// The reference program as clerks use it, on its embedded database in a Chinese home
// folder and on the tests' PostgreSQL server: loading before editing, two clerks on one
// record, input checked before the question, dates in the calendar shown, a locked,
// deleted or read-only database, and an exit with edits not saved. What lands in the
// database is read back from outside the program.
#include "staffwindow.h"

#include "staffdatabase.h"

#include "suiteframe/adodb/connection.h"
#include "suiteframe/adodb/queryrecordset.h"
#include "suiteframe/base/basBase.h"
#include "suiteframe/controls/composition.h"
#include "suiteframe/dialogs/messagepanel.h"
#include "support/dialogtesting.h"
#include "support/lockingshell.h"
#include "support/postgresserver.h"

#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>

#include <utility>

using namespace dialogtesting;
using namespace Qt::StringLiterals;

namespace {

// What the message dialog said at one showing.
struct Shown
{
    QString message;
    QStringList lines;  // the list, a row a line, cells joined by tabs
    bool asked = false; // two buttons: a question rather than a notice
};

// Answers the message dialog each time it shows, as a clerk would: a question with its
// first button (OK, 存檔, 載入) or its second, in the order given, a notice with OK;
// before the first answer it may take a step such as picking a record on the card.
class Clerk
{
public:
    explicit Clerk(std::initializer_list<bool> answers = {},
                   std::function<void(FrmSure *)> first = {})
        : m_answers(answers)
        , m_first(std::move(first))
    {
        m_driver.eachTimeShown<FrmSure>([this](FrmSure *dialog) { answer(dialog); });
    }

    const QList<Shown> &shown() const { return m_shown; }
    QStringList messages() const
    {
        QStringList texts;
        for (const Shown &each : m_shown)
            texts << each.message;
        return texts;
    }

private:
    void answer(FrmSure *dialog)
    {
        const bool asked = dialog->cmdCancel->isVisible();
        m_shown.append({dialog->elaMsg->Caption(),
                        dialog->fgList->clipText().split(u'\n', Qt::SkipEmptyParts),
                        asked});
        if (const auto first = std::exchange(m_first, {}))
            first(dialog);
        const bool ok = !asked || m_answers.isEmpty() || m_answers.takeFirst();
        clickButton(ok ? dialog->cmdOK : dialog->cmdCancel);
    }

    QList<bool> m_answers;
    std::function<void(FrmSure *)> m_first;
    QList<Shown> m_shown;
    ModalDriver m_driver;
};

// Types over the field's text: ASCII key by key, Chinese as an input method commits it.
void type(QLineEdit *field, const QString &text)
{
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    const bool ascii = std::all_of(text.begin(), text.end(), [](QChar c) {
        return c.unicode() < 0x80;
    });
    if (ascii) {
        QTest::keyClicks(field, text);
        return;
    }
    QInputMethodEvent committed;
    committed.setCommitString(text);
    QApplication::sendEvent(field, &committed);
}

// Keys and clicks as the X server delivers them, through the input method, while the
// program goes on handling events.
void xdotool(const QStringList &arguments)
{
    QProcess process;
    process.start(u"xdotool"_s, arguments);
    QVERIFY(process.waitForStarted());
    while (process.state() != QProcess::NotRunning)
        QTest::qWait(10);
    QCOMPARE(process.exitCode(), 0);
}

// The point is given within the window as the X server places it: the window manager
// may still be moving the window when Qt's idea of where it is lags behind.
void clickOn(QWidget *widget)
{
    const QPoint centre = widget->mapTo(widget->window(), widget->rect().center());
    xdotool({u"mousemove"_s,
             u"--window"_s,
             QString::number(widget->window()->winId()),
             QString::number(centre.x()),
             QString::number(centre.y()),
             u"click"_s,
             u"1"_s});
}

// Picks the record in the card's column.
std::function<void(FrmSure *)> pick(int column)
{
    return [column](FrmSure *dialog) { dialog->fgList->select(0, column, 0, column); };
}

} // namespace

class tst_Staff : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startsOnTheLastRecordWithTheNumberFocused();
    void cardLoadsThePickedRecord_data();
    void cardLoadsThePickedRecord();
    void inputIsCheckedBeforeAsking_data();
    void inputIsCheckedBeforeAsking();
    void savedAsTypedInTheCalendarShown_data();
    void savedAsTypedInTheCalendarShown();
    void numberOfAnotherRecordIsNeverOverwritten();
    void twoClerksOnOneRecordLoseNothing_data();
    void twoClerksOnOneRecordLoseNothing();
    void recordAddedAgainIsNeverOverwrittenUnseen();
    void clerkWithoutTheRightToCreateStartsQuietly();
    void lockedDatabaseIsToldAndNothingTypedIsLost_data();
    void lockedDatabaseIsToldAndNothingTypedIsLost();
    void missingOrReadOnlyDatabaseIsTold();
    void exitWithUnsavedEditsAsksFirst_data();
    void exitWithUnsavedEditsAsksFirst();
    void zhuyinAsAClerkTypesIt_data();
    void zhuyinAsAClerkTypesIt();

private:
    std::unique_ptr<StaffWindow> start();
    void load(StaffWindow &window, const QString &id);
    void startNew(StaffWindow &window, const QString &id, const QString &name);
    QByteArray onDisk(const QString &sql) const { return shellQuery(m_database, sql); }
    void usePostgres();
    QString postgresRecord(const QString &id) const;

    QTemporaryDir m_dir;
    PostgresServer m_postgres;
    QString m_database;
    int m_homes = 0;
};

void tst_Staff::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QString error;
    QVERIFY2(m_postgres.start(&error), qPrintable(error));
    controls::installFontSubstitutes();
    frame::setProgram(StaffWindow::program());
}

// Each test starts as a clerk who has never run the program.
void tst_Staff::init()
{
    const QString home = m_dir.filePath(u"王小明 的家 %1"_s.arg(++m_homes));
    qputenv("XDG_DATA_HOME", (home + u"/資料"_s).toUtf8());
    qputenv("XDG_CONFIG_HOME", (home + u"/設定"_s).toUtf8());
    m_database = home + u"/資料/suiteframe/staff.db"_s;
    basBase::LogFilePath = home + u"/錯誤記錄.log"_s;
    basBase::DateDispFormat.clear();
}

void tst_Staff::cleanup()
{
    QCOMPARE(visibleWindows(), QStringList());
}

std::unique_ptr<StaffWindow> tst_Staff::start()
{
    auto window = std::make_unique<StaffWindow>();
    window->show();
    return window;
}

void tst_Staff::load(StaffWindow &window, const QString &id)
{
    const Clerk clerk({true});
    type(window.txtName, QString());
    type(window.txtId, id);
    clickButton(window.cmdQuery);
}

void tst_Staff::startNew(StaffWindow &window, const QString &id, const QString &name)
{
    clickButton(window.cmdClear);
    type(window.txtId, id);
    type(window.txtName, name);
}

void tst_Staff::usePostgres()
{
    adodb::Connection connection;
    connection.setConnectionString(m_postgres.connectionString());
    connection.Open();
    connection.Execute(u"DROP TABLE IF EXISTS staff"_s);
    QDir().mkpath(QFileInfo(staff::iniFilePath()).absolutePath());
    basBase::WriteIniValue(staff::iniFilePath(),
                           u"Database"_s,
                           u"ConnectionString"_s,
                           m_postgres.connectionString());
}

QString tst_Staff::postgresRecord(const QString &id) const
{
    adodb::Connection connection;
    connection.setConnectionString(m_postgres.connectionString());
    connection.Open();
    const auto found = connection.Execute(
        u"SELECT salary, note FROM staff WHERE id = '%1'"_s.arg(id));
    const auto text = [&](int field) {
        const Value value = found->fieldValue(field);
        return value.isNull() ? QString() : value.toText();
    };
    const QString salary = text(0);
    return salary + u'|' + text(1);
}

void tst_Staff::startsOnTheLastRecordWithTheNumberFocused()
{
    auto first = start();
    QVERIFY(QFile::exists(m_database));
    QCOMPARE(first->focusWidget(), first->txtId);
    load(*first, u"A002"_s);
    first->close();

    // The next start shows the whole record, not its number alone, so that typing a
    // new person's name over it edits A002 knowingly.
    auto second = start();
    QCOMPARE(second->txtId->text(), u"A002"_s);
    QCOMPARE(second->txtName->text(), u"陳美玲"_s);
    QCOMPARE(second->txtHired->text(), u"1912/01/01"_s);
    QCOMPARE(second->txtSalary->text(), u"45000"_s);
    QCOMPARE(second->focusWidget(), second->txtId);
    clickButton(second->cmdClear);
    QCOMPARE(second->elaMsg->Caption(), u"V.1.2.0"_s);
    second->close();
}

void tst_Staff::cardLoadsThePickedRecord_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("loaded");
    QTest::addColumn<bool>("byEnter"); // 查詢 pressed by Enter as it has the focus
    QTest::addColumn<QString>("dateFormat");
    QTest::addColumn<QString>("hiredRow"); // the card's row of dates, where it is checked

    QTest::newRow("every record, the third picked")
        << QString() << QString() << 3 << u"A003"_s << false << QString()
        << u"到職日\t1905/03/01\t1912/01/01\t1988/07/15\t2011/10/10\t"_s;
    QTest::newRow("every record in the ROC calendar")
        << QString() << QString() << 1 << u"A001"_s << false << u"CC/MM/DD"_s
        << u"到職日\t-6/03/01\t1/01/01\t77/07/15\t100/10/10\t"_s;
    QTest::newRow("number in lower case")
        << u"a004"_s << QString() << 1 << u"A004"_s << false << QString() << QString();
    QTest::newRow("part of a name, by Enter")
        << QString() << u"美"_s << 1 << u"A002"_s << true << QString() << QString();
    // The % and _ that a clerk types are the characters themselves.
    QTest::newRow("percent sign in a name")
        << QString() << u"%"_s << 0 << QString() << false << QString() << QString();
}

void tst_Staff::cardLoadsThePickedRecord()
{
    QFETCH(QString, id);
    QFETCH(QString, name);
    QFETCH(int, column);
    QFETCH(QString, loaded);
    QFETCH(bool, byEnter);
    QFETCH(QString, dateFormat);
    QFETCH(QString, hiredRow);
    basBase::DateDispFormat = dateFormat;
    auto window = start();
    clickButton(window->cmdClear);
    type(window->txtId, id);
    type(window->txtName, name);
    const Clerk clerk({true}, column > 0 ? pick(column) : nullptr);
    if (byEnter) {
        window->cmdQuery->setFocus(Qt::TabFocusReason);
        QTest::keyClick(window->cmdQuery, Qt::Key_Return);
    } else {
        clickButton(window->cmdQuery);
    }
    QCOMPARE(clerk.shown().size(), 1);
    if (!hiredRow.isEmpty())
        QVERIFY2(clerk.shown().first().lines.contains(hiredRow),
                 qPrintable(clerk.shown().first().lines.join(u'\n')));
    if (loaded.isEmpty()) {
        QCOMPARE(clerk.messages(), QStringList{u"查無符合的資料。"_s});
    } else {
        QCOMPARE(window->txtId->text(), loaded);
        QCOMPARE(window->elaMsg->Caption().left(8), u"已載入 "_s + loaded);
    }
    window->close();
}

void tst_Staff::inputIsCheckedBeforeAsking_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");

    QTest::newRow("no number") << u"txtId"_s << QString() << u"請輸入員工編號。"_s;
    QTest::newRow("number with a blank") << u"txtId"_s << u"B 01"_s << u"員工編號只能有"_s;
    QTest::newRow("no name") << u"txtName"_s << QString() << u"請輸入姓名。"_s;
    QTest::newRow("name of 41 characters")
        << u"txtName"_s << QString(41, u'名') << u"姓名最多 40 個字，現在有 41 個字。"_s;
    QTest::newRow("ROC date in a Gregorian window")
        << u"txtHired"_s << u"115/12/10"_s << u"到職日請以西元年/月/日輸入"_s;
    QTest::newRow("no such day") << u"txtHired"_s << u"2026/02/30"_s << u"到職日請以西元年"_s;
    QTest::newRow("negative salary") << u"txtSalary"_s << u"-1"_s << u"月薪請輸入 0 到"_s;
    QTest::newRow("salary in thousandths") << u"txtSalary"_s << u"1.234"_s << u"月薪請輸入"_s;
    QTest::newRow("comma as a decimal point") << u"txtSalary"_s << u"52000,5"_s << u"月薪請輸入"_s;
    QTest::newRow("note of 201 characters")
        << u"txtNote"_s << QString(201, u'註') << u"備註最多 200 個字"_s;
}

// Each wrong field is named before the save is confirmed, the database left alone.
void tst_Staff::inputIsCheckedBeforeAsking()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, message);
    auto window = start();
    startNew(*window, u"B001"_s, u"新同事"_s);
    auto *wrong = window->findChild<QLineEdit *>(field);
    if (text.size() > 40)
        wrong->setText(text); // as pasted
    else
        type(wrong, text);
    const Clerk clerk;
    clickButton(window->cmdSave);
    QCOMPARE(clerk.shown().size(), 1);
    QVERIFY2(clerk.shown().first().message.startsWith(message),
             qPrintable(clerk.messages().first()));
    QVERIFY(!clerk.shown().first().asked);
    QCOMPARE(window->focusWidget(), wrong);
    QCOMPARE(onDisk(u"SELECT COUNT(*) FROM staff WHERE id = 'B001'"_s), "0");
    clickButton(window->cmdClear);
    window->close();
}

void tst_Staff::savedAsTypedInTheCalendarShown_data()
{
    QTest::addColumn<QString>("dateFormat");
    QTest::addColumn<QString>("hired");
    QTest::addColumn<QString>("salary");
    QTest::addColumn<QByteArray>("saved");

    QTest::newRow("Gregorian, thousands separated")
        << QString() << u"2026/12/10"_s << u"45,000"_s << "2026-12-10|45000"_ba;
    QTest::newRow("ROC") << u"CC/MM/DD"_s << u"115/12/10"_s << u"52000.5"_s
                         << "2026-12-10|52000.5"_ba;
    QTest::newRow("ROC in full-width digits")
        << u"CCMMDD"_s << u"１１５／１／２"_s << u"６１０００"_s << "2026-01-02|61000"_ba;
    // As the window shows a date before the Republic, and as it reads it back.
    QTest::newRow("ROC, before the first year")
        << u"CC/MM/DD"_s << u"-6/03/01"_s << u"1,234,567.8"_s << "1905-03-01|1234567.8"_ba;
}

void tst_Staff::savedAsTypedInTheCalendarShown()
{
    QFETCH(QString, dateFormat);
    QFETCH(QString, hired);
    QFETCH(QString, salary);
    QFETCH(QByteArray, saved);
    basBase::DateDispFormat = dateFormat;
    auto window = start();
    startNew(*window, u"B002"_s, u"新同事"_s);
    window->txtHired->setText(hired);
    window->txtSalary->setText(salary);
    const Clerk clerk({true});
    clickButton(window->cmdSave);
    QCOMPARE(clerk.messages(), QStringList{u"確定要新增這筆資料嗎？"_s});
    QCOMPARE(onDisk(u"SELECT hired || '|' || salary FROM staff WHERE id = 'B002'"_s), saved);
    window->close();
}

void tst_Staff::numberOfAnotherRecordIsNeverOverwritten()
{
    auto window = start();
    startNew(*window, u"a002"_s, u"新人"_s);
    const Clerk clerk;
    clickButton(window->cmdSave);
    QCOMPARE(clerk.messages(),
             QStringList{
                 u"員工編號 A002 已是 陳美玲 的資料，沒有存檔。要修改這筆資料，請先按查詢載入；"
                 "要新增，請換一個員工編號。"_s});
    QCOMPARE(onDisk(u"SELECT name || '|' || hired || '|' || salary FROM staff WHERE id = 'A002'"_s),
             "陳美玲|1912-01-01|45000");
    clickButton(window->cmdClear);
    window->close();
}

void tst_Staff::twoClerksOnOneRecordLoseNothing_data()
{
    QTest::addColumn<bool>("postgres");
    QTest::newRow("sqlite") << false;
    QTest::newRow("postgres") << true;
}

// Both load A002; the first saves a salary, then the second a note. The second is shown
// what the first saved beside the field it changed, keeps that field over the first's
// record, and stores both changes only with a second save.
void tst_Staff::twoClerksOnOneRecordLoseNothing()
{
    QFETCH(bool, postgres);
    if (postgres)
        usePostgres();
    const auto record = [&] {
        return postgres ? postgresRecord(u"A002"_s).toUtf8()
                        : onDisk(u"SELECT salary || '|' || ifnull(note, '') FROM staff "
                                 "WHERE id = 'A002'"_s);
    };
    auto first = start();
    auto second = start();
    load(*first, u"A002"_s);
    load(*second, u"A002"_s);

    type(first->txtSalary, u"46000"_s);
    {
        const Clerk clerk({true});
        clickButton(first->cmdSave);
    }
    QCOMPARE(record(), "46000|");

    type(second->txtNote, u"請假中"_s);
    {
        const Clerk clerk({true, false});
        clickButton(second->cmdSave);
        QCOMPARE(clerk.shown().size(), 2);
        QVERIFY2(clerk.shown().at(1).message.contains(u"已被別人修改並存檔"_s),
                 qPrintable(clerk.shown().at(1).message));
        QVERIFY(clerk.shown().at(1).lines.contains(u"月薪\t（沒改）\t46000"_s));
        QVERIFY(clerk.shown().at(1).lines.contains(u"備註\t請假中\t"_s));
    }
    QCOMPARE(record(), "46000|");
    QCOMPARE(second->txtNote->text(), u"請假中"_s);
    QCOMPARE(second->txtSalary->text(), u"46000"_s);

    {
        const Clerk clerk({true});
        clickButton(second->cmdSave);
    }
    QCOMPARE(record(), "46000|請假中");
    first->close();
    second->close();
}

// A record deleted and added again while a clerk still holds it from before: that clerk's
// save is stopped as another's, never written over the new record unseen.
void tst_Staff::recordAddedAgainIsNeverOverwrittenUnseen()
{
    auto first = start();
    auto second = start();
    load(*first, u"A002"_s);
    load(*second, u"A002"_s);
    onDisk(u"DELETE FROM staff WHERE id = 'A002'"_s);
    type(second->txtNote, u"新的 A002"_s);
    {
        const Clerk clerk({true, true});
        clickButton(second->cmdSave); // told it was deleted
        clickButton(second->cmdSave); // adds it again
        QCOMPARE(clerk.shown().size(), 3);
    }
    type(first->txtSalary, u"47000"_s);
    {
        const Clerk clerk({true, true});
        clickButton(first->cmdSave);
        QCOMPARE(clerk.shown().size(), 2);
        QVERIFY(clerk.shown().at(1).message.contains(u"已被別人修改並存檔"_s));
    }
    QCOMPARE(onDisk(u"SELECT salary || '|' || note FROM staff WHERE id = 'A002'"_s),
             "45000|新的 A002");
    first->close();
    second->close();
}

// A clerk's account on a server that may read and write the table, and create nothing,
// as PostgreSQL gives ordinary accounts: the program starts on it without a word.
void tst_Staff::clerkWithoutTheRightToCreateStartsQuietly()
{
    usePostgres();
    start()->close(); // the administrator's first start makes the table
    adodb::Connection administrator;
    administrator.setConnectionString(m_postgres.connectionString());
    administrator.Open();
    administrator.Execute(u"DROP ROLE IF EXISTS clerk_only"_s);
    administrator.Execute(u"CREATE ROLE clerk_only LOGIN PASSWORD 'Clerk-Pw-7'"_s);
    administrator.Execute(u"REVOKE CREATE ON SCHEMA public FROM PUBLIC"_s);
    administrator.Execute(u"GRANT SELECT, INSERT, UPDATE ON staff TO clerk_only"_s);
    basBase::WriteIniValue(staff::iniFilePath(),
                           u"Database"_s,
                           u"ConnectionString"_s,
                           m_postgres.connectionString(u"clerk_only"_s, u"Clerk-Pw-7"_s));
    std::unique_ptr<StaffWindow> window;
    {
        const Clerk clerk;
        window = start();
        QCOMPARE(clerk.messages(), QStringList());
    }
    load(*window, u"A002"_s);
    QCOMPARE(window->txtName->text(), u"陳美玲"_s);
    window->close();
}

void tst_Staff::lockedDatabaseIsToldAndNothingTypedIsLost_data()
{
    QTest::addColumn<bool>("postgres");
    QTest::addColumn<QByteArray>("providerWords"); // the provider's own, in the log
    QTest::newRow("sqlite, another program holds the file") << false << "database is locked"_ba;
    QTest::newRow("postgres, another session holds the row") << true << "57014"_ba;
}

// The save waits a bounded time, then says why; what was typed stays, and the save goes
// through once the other lets go.
void tst_Staff::lockedDatabaseIsToldAndNothingTypedIsLost()
{
    QFETCH(bool, postgres);
    QFETCH(QByteArray, providerWords);
    if (postgres)
        usePostgres();
    auto window = start();
    load(*window, u"A003"_s);
    type(window->txtSalary, u"60000"_s);
    LockingShell otherProgram;
    adodb::Connection otherSession;
    if (postgres) {
        otherSession.setConnectionString(m_postgres.connectionString());
        otherSession.Open();
        otherSession.BeginTrans();
        otherSession.Execute(u"UPDATE staff SET note = note WHERE id = 'A003'"_s);
    } else {
        QVERIFY(otherProgram.lock(m_database, -1));
    }
    {
        const Clerk clerk({true});
        clickButton(window->cmdSave);
        QCOMPARE(clerk.shown().size(), 2);
        QVERIFY2(clerk.shown().at(1).message.startsWith(u"資料庫正被其他程式使用中"_s),
                 qPrintable(clerk.shown().at(1).message));
    }
    QCOMPARE(window->txtSalary->text(), u"60000"_s);
    QFile log(basBase::LogFilePath);
    QVERIFY(log.open(QIODevice::ReadOnly));
    QVERIFY(log.readAll().contains(providerWords));
    if (postgres)
        otherSession.RollbackTrans();
    else
        otherProgram.release();
    {
        const Clerk clerk({true});
        clickButton(window->cmdSave);
    }
    if (postgres)
        QCOMPARE(postgresRecord(u"A003"_s), u"60000|會計課"_s);
    else
        QCOMPARE(onDisk(u"SELECT salary FROM staff WHERE id = 'A003'"_s), "60000");
    window->close();
}

// A database deleted while the program runs, missing at the next start, read-only, and
// a data folder that cannot be written: each is told as such, and no sample staff come
// back in place of the deleted records.
void tst_Staff::missingOrReadOnlyDatabaseIsTold()
{
    auto window = start();
    QVERIFY(QFile::remove(m_database));
    type(window->txtNote, u"改了"_s);
    {
        const Clerk clerk;
        clickButton(window->cmdSave);
        QCOMPARE(clerk.shown().size(), 1);
        QVERIFY(clerk.shown().first().message.contains(u"已被刪除或搬走，無法存檔"_s));
    }
    window->txtNote->clear();
    window->close();

    {
        const Clerk clerk({false});
        auto restarted = start();
        QCOMPARE(clerk.shown().size(), 1);
        QVERIFY(clerk.shown().first().message.startsWith(u"找不到資料庫檔案"_s));
        QVERIFY(!QFile::exists(m_database));
        restarted->close();
    }
    {
        const Clerk clerk({true});
        auto restarted = start();
        QCOMPARE(onDisk(u"SELECT COUNT(*) FROM staff"_s), "0");
        restarted->close();
    }

    // An empty file, as a copy that did not finish leaves it, is asked about as well.
    QVERIFY(QFile::resize(m_database, 0));
    {
        const Clerk clerk({false});
        auto restarted = start();
        QCOMPARE(clerk.shown().size(), 1);
        QVERIFY(clerk.shown().first().message.startsWith(u"資料庫檔案 %1 是空的"_s.arg(m_database)));
        QCOMPARE(QFileInfo(m_database).size(), 0);
        restarted->close();
    }

    QVERIFY(QFile::setPermissions(m_database, QFile::ReadOwner | QFile::ReadGroup));
    {
        const Clerk clerk;
        auto readOnly = start();
        QCOMPARE(clerk.messages(),
                 QStringList{u"資料庫 %1 是唯讀的：可以查詢，不能存檔。"_s.arg(m_database)});
        readOnly->close();
    }

    // A data folder that cannot be written is named, and so is a query without a database.
    const QString folder = QFileInfo(m_database).absolutePath();
    QVERIFY(QFile::remove(m_database));
    QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    const Clerk clerk;
    auto unwritable = start();
    clickButton(unwritable->cmdQuery);
    QCOMPARE(clerk.shown().size(), 2);
    QVERIFY2(clerk.messages().at(0).startsWith(u"無法在資料夾 %1 建立或寫入資料庫"_s.arg(folder)),
             qPrintable(clerk.messages().at(0)));
    QVERIFY2(clerk.messages().at(1).startsWith(u"沒有連上資料庫，無法查詢。"_s),
             qPrintable(clerk.messages().at(1)));
    unwritable->close();
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void tst_Staff::exitWithUnsavedEditsAsksFirst_data()
{
    QTest::addColumn<QString>("loaded"); // none: a new record
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::newRow("loaded record, note changed") << u"A001"_s << u"txtNote"_s << u"未存的備註"_s;
    // Number and name are all a new record needs.
    QTest::newRow("new record, number and name") << QString() << u"txtName"_s << u"新同事"_s;
}

void tst_Staff::exitWithUnsavedEditsAsksFirst()
{
    QFETCH(QString, loaded);
    QFETCH(QString, field);
    QFETCH(QString, text);
    auto window = start();
    if (loaded.isEmpty())
        startNew(*window, u"B009"_s, QString());
    else
        load(*window, loaded);
    auto *edited = window->findChild<QLineEdit *>(field);
    type(edited, text);
    {
        const Clerk clerk({false, false});
        window->close();
        clickButton(window->cmdExit);
        QCOMPARE(clerk.shown().size(), 2);
        QVERIFY(clerk.shown().first().message.contains(u"尚未存檔的修改"_s));
    }
    QVERIFY(window->isVisible());
    QCOMPARE(edited->text(), text);
    {
        const Clerk clerk({true});
        window->close();
        QCOMPARE(clerk.shown().size(), 1);
    }
    QVERIFY(!window->isVisible());
}

// Typed in Zhuyin with the real input method (ibus with chewing, tests/support/
// on-input-method): keys on the standard layout, ㄌㄧㄣˊ = x u p 6 (林), ㄇㄟˇ = a o 3
// (美), ㄓㄜˋ = 5 k 4 (這, whose second candidate is 浙). What the clerk then does
// (then: Alt+S, Alt+C, a click into 備註) acts on what the fields showed, and the saved
// row holds it. The record is A003, whose note is 華浙.
void tst_Staff::zhuyinAsAClerkTypesIt_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QString>("then");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("note");
    QTest::addColumn<QString>("focus");

    // Keys are typed as a clerk types them; "(open)" and "(closed)" wait until the
    // input method has opened or ended its composition, as a clerk watches the field
    // before the next key: keys sent in one burst may otherwise overtake the input
    // method's answer on a loaded machine.
    const auto keys = [](const char *text) { return QString::fromLatin1(text).split(u' '); };
    QTest::newRow("a word committed by Enter, the next Enter moves on")
        << u"txtName"_s << keys("x u p 6 a o 3 (open) Return (closed) Return") << QString()
        << u"林美"_s << u"華浙"_s << u"txtHired"_s;
    QTest::newRow("Enter mid-syllable is the engine's")
        << u"txtName"_s << keys("x u (open) Return p 6 Return") << QString() << u"林"_s << u"華浙"_s
        << u"txtName"_s;
    QTest::newRow("arrows pick from the open candidate list")
        << u"txtNote"_s << keys("5 k 4 (open) Down 2 Return") << QString() << u"黃𡩋祥"_s << u"浙"_s
        << u"txtNote"_s;
    QTest::newRow("Up while composing is the engine's")
        << u"txtNote"_s << keys("a o 3 (open) Up Return") << QString() << u"黃𡩋祥"_s << u"美"_s
        << u"txtNote"_s;
    QTest::newRow("a selected field replaced") << u"txtName"_s << keys("x u p 6 (open) Return")
                                               << QString() << u"林"_s << u"華浙"_s << u"txtName"_s;
    QTest::newRow("English mode") << u"txtNote"_s << keys("shift a b c shift") << QString()
                                  << u"黃𡩋祥"_s << u"abc"_s << u"txtNote"_s;
    QTest::newRow("Alt+S while composing saves what was shown")
        << u"txtNote"_s << keys("x u p 6 a o 3 (open)") << u"alt+s"_s << u"黃𡩋祥"_s << u"林美"_s
        << QString();
    QTest::newRow("Alt+C while composing clears everything")
        << u"txtName"_s << keys("x u (open)") << u"alt+c"_s << QString() << QString() << u"txtId"_s;
    QTest::newRow("a click into another field while composing")
        << u"txtName"_s << keys("x u p 6 a o 3 (open)") << u"txtNote"_s << u"林美"_s << u"華浙"_s
        << u"txtNote"_s;
}

void tst_Staff::zhuyinAsAClerkTypesIt()
{
    if (qEnvironmentVariable("QT_IM_MODULE") != u"ibus")
        QSKIP("needs the real input method: run under tests/support/on-input-method");
    QFETCH(QString, field);
    QFETCH(QStringList, keys);
    QFETCH(QString, then);
    QFETCH(QString, name);
    QFETCH(QString, note);
    QFETCH(QString, focus);
    auto window = start();
    onDisk(u"UPDATE staff SET note = '華浙' WHERE id = 'A003'"_s);
    load(*window, u"A003"_s);
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    const auto named = [&](const QString &objectName) {
        return window->findChild<QLineEdit *>(objectName);
    };

    clickOn(named(field));
    QTRY_COMPARE(QApplication::focusWidget(), named(field));
    QStringList burst;
    const auto typeBurst = [&] {
        if (!burst.isEmpty())
            xdotool(QStringList{u"key"_s, u"--delay"_s, u"30"_s} + std::exchange(burst, {}));
    };
    for (const QString &key : keys) {
        if (key.startsWith(u'(')) {
            typeBurst();
            QTRY_COMPARE(controls::composition::isOpen(), key == u"(open)");
        } else {
            burst << key;
        }
    }
    typeBurst();
    const Clerk clerk({true});
    if (then.startsWith(u"alt+"))
        xdotool({u"key"_s, then});
    else if (!then.isEmpty())
        clickOn(named(then));

    QTRY_COMPARE(window->txtName->text(), name);
    QTRY_COMPARE(window->txtNote->text(), note);
    QVERIFY(!controls::composition::isOpen());
    if (!focus.isEmpty())
        QTRY_COMPARE(QApplication::focusWidget(), named(focus));
    if (then != u"alt+s")
        QVERIFY2(clerk.shown().isEmpty(), qPrintable(clerk.messages().join(u" / ")));
    if (then == u"alt+s") {
        QTRY_COMPARE(clerk.shown().size(), 1);
        QVERIFY(clerk.shown().first().lines.contains(u"備註\t"_s + note));
        QCOMPARE(onDisk(u"SELECT note FROM staff WHERE id = 'A003'"_s), note.toUtf8());
    }
    if (then == u"alt+c") {
        for (const QLineEdit *each : window->findChildren<QLineEdit *>())
            QCOMPARE(each->text(), QString());
    }
    clickButton(window->cmdClear);
    window->close();
}

QTEST_MAIN(tst_Staff)

#include "tst_staff.moc"
