// The reference program's window: the fields of one staff record, the listing card,
// and the save that checks, confirms and never overwrites what it did not load.

#include "staffwindow.h"

#include "staffdatabase.h"

#include <suiteframe/adodb/connection.h>
#include <suiteframe/adodb/memoryrecordset.h>
#include <suiteframe/adodb/queryrecordset.h>
#include <suiteframe/base/basBase.h>
#include <suiteframe/base/failure.h>
#include <suiteframe/controls/grid.h>
#include <suiteframe/controls/panel.h>
#include <suiteframe/controls/twips.h>
#include <suiteframe/database/basADODB.h>
#include <suiteframe/dialogs/frmSure.h>
#include <suiteframe/platform/desktop.h>
#include <suiteframe/platform/runtimeerror.h>

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

using platform::Value;
namespace twips = controls::twips;

namespace {

constexpr double LabelLeft = 600;
constexpr double FieldLeft = 1800;
constexpr double FirstRowTop = 450;
constexpr double RowPitch = 510;
constexpr double FieldHeight = 360;

// Values longer than this are shortened in a confirmation, so that every field of the
// record stays in view.
constexpr int ShownCharacters = 30;

// A statement, and so a save that waits for another clerk's lock, takes no longer than
// this: a server would otherwise wait for as long as the other clerk holds the row. The
// embedded database ends a wait for a lock sooner, at the connection's time-out (10 s),
// and tells it as a lock.
constexpr qint32 CommandSeconds = 15;

// The list of a confirmation holds its five rows in view with room to spare at this
// size; at the default 12 points only four and a half.
constexpr float CardFontSize = 10.0f;

const QString FieldsOfAListing = QStringLiteral("id AS 編號, name AS 姓名, hired AS 到職日, "
                                                "salary AS 月薪, note AS 備註");

// The mouse pointer shows that the program waits, for as long as the scope lasts.
class BusyPointer
{
public:
    BusyPointer()
    {
        platform::desktop::setMousePointer(platform::desktop::MousePointer::Hourglass);
    }
    ~BusyPointer() { platform::desktop::setMousePointer(platform::desktop::MousePointer::Default); }
    BusyPointer(const BusyPointer &) = delete;
    BusyPointer &operator=(const BusyPointer &) = delete;
};

// Cut between characters, never inside one outside the basic plane (𡩋).
QString shortened(const QString &text)
{
    const QList<uint> characters = text.toUcs4();
    if (characters.size() <= ShownCharacters)
        return text;
    return QString::fromUcs4(reinterpret_cast<const char32_t *>(characters.constData()),
                             ShownCharacters - 1)
           + u'…';
}

} // namespace

StaffWindow::StaffWindow()
    : m_connection(std::make_unique<adodb::Connection>())
{
    setObjectName(QStringLiteral("fmStaff"));
    createFields();
    createButtons();
}

StaffWindow::~StaffWindow() = default;

frame::Program StaffWindow::program()
{
    return {QStringLiteral("人事"), QStringLiteral("人事資料維護"), 1, 2, 0};
}

void StaffWindow::createFields()
{
    const auto addField =
        [this](int row, const QString &caption, const QString &name, double width) {
            const double top = FirstRowTop + row * RowPitch;
            auto *label = new QLabel(caption, vsElastic1);
            twips::setGeometry(label, LabelLeft, top, FieldLeft - LabelLeft - 90, FieldHeight);
            label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            auto *field = new QLineEdit(vsElastic1);
            field->setObjectName(name);
            twips::setGeometry(field, FieldLeft, top, width, FieldHeight);
            label->setBuddy(field);
            basBase::wireEntryField(field);
            return field;
        };
    txtId = addField(0, QStringLiteral("員工編號"), QStringLiteral("txtId"), 1500);
    txtName = addField(1, QStringLiteral("姓名"), QStringLiteral("txtName"), 2400);
    txtHired = addField(2, QStringLiteral("到職日"), QStringLiteral("txtHired"), 1500);
    txtSalary = addField(3, QStringLiteral("月薪"), QStringLiteral("txtSalary"), 1500);
    txtNote = addField(4, QStringLiteral("備註"), QStringLiteral("txtNote"), 5400);

    lblHiredRoc = new QLabel(vsElastic1);
    lblHiredRoc->setObjectName(QStringLiteral("lblHiredRoc"));
    twips::setGeometry(lblHiredRoc,
                       FieldLeft + 1500 + 150,
                       FirstRowTop + 2 * RowPitch,
                       2400,
                       FieldHeight);
    connect(txtHired, &QLineEdit::textChanged, lblHiredRoc, [this](const QString &text) {
        const auto date = staff::readDate(text, m_calendar);
        lblHiredRoc->setText(date ? staff::otherCalendarText(*date, m_calendar) : QString());
    });

    auto *hint = new QLabel(QStringLiteral("Enter 或 ↓ 下一欄，↑ 上一欄；進入欄位即全選"),
                            vsElastic1);
    twips::setGeometry(hint, FieldLeft, FirstRowTop + 5 * RowPitch, 6000, FieldHeight);
}

void StaffWindow::createButtons()
{
    const auto addButton = [this](int column, const QString &caption, const QString &name) {
        auto *button = new QPushButton(caption, vsElastic1);
        button->setObjectName(name);
        twips::setGeometry(button,
                           FieldLeft + column * 1350,
                           FirstRowTop + 6 * RowPitch + 150,
                           1200,
                           450);
        return button;
    };
    cmdQuery = addButton(0, QStringLiteral("&Q查詢"), QStringLiteral("cmdQuery"));
    cmdSave = addButton(1, QStringLiteral("&S存檔"), QStringLiteral("cmdSave"));
    cmdClear = addButton(2, QStringLiteral("&C清除"), QStringLiteral("cmdClear"));
    connect(cmdQuery, &QPushButton::clicked, this, [this] { cmdQuery_Click(); });
    connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });
    connect(cmdClear, &QPushButton::clicked, this, [this] { cmdClear_Click(); });
}

void StaffWindow::InitForm()
{
    // The suite's programs show their dates with slashes unless the user chose otherwise.
    if (basBase::DateSeparator.isEmpty())
        basBase::DateSeparator = QStringLiteral("/");
    m_calendar = staff::shownCalendar();
    txtHired->setPlaceholderText(staff::dateText(QDate(1988, 7, 15), m_calendar));
    m_versionCaption = elaMsg->Caption();
    txtId->setFocus();
    // The last record worked on is shown whole, ready to be edited.
    const QString lastId = basBase::ReadIniValue(staff::iniFilePath(),
                                                 QStringLiteral("Staff"),
                                                 QStringLiteral("LastId"));
    if (openDatabase() && !lastId.isEmpty())
        loadRecord(lastId);
    m_shown = entry();
}

// Answers whether the database is open and its table ready.
bool StaffWindow::openDatabase()
{
    QString connectionString = staff::configuredConnectionString();
    // A server's empty table gets the sample staff; the embedded database gets them only
    // on a first start, never in place of a file that went missing.
    bool withSamples = !connectionString.isEmpty();
    if (connectionString.isEmpty()) {
        if (!openEmbeddedDatabase(&withSamples))
            return false;
        connectionString = staff::embeddedConnectionString();
    }
    bool connected = false;
    {
        const BusyPointer busy;
        connected = basADODB::ConnectADO(Value(connectionString), m_connection);
    }
    if (!connected) {
        showMessage(QStringLiteral("無法連接資料庫"));
        tell(m_embeddedDatabase.isEmpty()
                 ? QStringLiteral("無法連接資料庫。請檢查 %1 的 [Database] ConnectionString；"
                                  "原因記在錯誤記錄檔 %2。")
                       .arg(staff::iniFilePath(), basBase::LogFilePath)
                 : QStringLiteral("無法開啟資料庫檔案 %1；原因記在錯誤記錄檔 %2。")
                       .arg(m_embeddedDatabase, basBase::LogFilePath),
             windowTitle());
        return false;
    }
    m_connection->setCommandTimeout(CommandSeconds);
    if (m_readOnly) {
        showMessage(QStringLiteral("資料庫是唯讀的：只能查詢"));
        tell(QStringLiteral("資料庫 %1 是唯讀的：可以查詢，不能存檔。").arg(m_embeddedDatabase),
             windowTitle());
        return true;
    }
    if (const auto refusal = failure::capture([&] {
            const BusyPointer busy;
            staff::prepareDatabase(*m_connection, withSamples);
        })) {
        tellRefusal(QStringLiteral("fmStaff_InitForm"), *refusal, QStringLiteral("開啟資料表"));
        return false;
    }
    return true;
}

// Where the embedded database is missing or cannot be written, says so in words that
// point at the file or folder; answers whether to open it.
bool StaffWindow::openEmbeddedDatabase(bool *withSamples)
{
    m_embeddedDatabase = staff::embeddedDatabasePath();
    const QString folder = QFileInfo(m_embeddedDatabase).absolutePath();
    const staff::EmbeddedState state = staff::embeddedState();
    switch (state) {
    case staff::EmbeddedState::NewFolder:
        *withSamples = true;
        return true;
    case staff::EmbeddedState::Present:
        return true;
    case staff::EmbeddedState::ReadOnly:
        m_readOnly = true;
        return true;
    case staff::EmbeddedState::Missing:
    case staff::EmbeddedState::Empty:
        if (ask((state == staff::EmbeddedState::Missing
                     ? QStringLiteral("找不到資料庫檔案 %1。資料夾還在，檔案可能被刪除或搬走了；")
                     : QStringLiteral("資料庫檔案 %1 是空的（0 位元組），裡面沒有任何資料；"
                                      "它可能在複製或搬移時沒有完成。"))
                        .arg(m_embeddedDatabase)
                    + QStringLiteral("若原來的檔案在別處，請放回原處後重新開啟本程式。\n"
                                     "要在這裡建立一個新的空白資料庫嗎？"),
                windowTitle(),
                QStringLiteral("建立"),
                QStringLiteral("不要")))
            return true;
        break;
    case staff::EmbeddedState::FolderNotWritable:
        tell(QStringLiteral("無法在資料夾 %1 建立或寫入資料庫：這個資料夾不能寫入。"
                            "請檢查它的權限，或在 %2 的 [Database] ConnectionString 指定資料庫。")
                 .arg(folder, staff::iniFilePath()),
             windowTitle());
        break;
    }
    showMessage(QStringLiteral("沒有資料庫：無法查詢或存檔"));
    return false;
}

// The database is open and, where it is a file, still there.
bool StaffWindow::databaseReachable(const QString &action)
{
    if (m_connection->State() != adodb::StateOpen) {
        tell(QStringLiteral("沒有連上資料庫，無法%1。請重新開啟本程式；原因記在錯誤記錄檔 %2。")
                 .arg(action, basBase::LogFilePath),
             action);
        return false;
    }
    if (!m_embeddedDatabase.isEmpty() && !QFileInfo::exists(m_embeddedDatabase)) {
        tell(QStringLiteral("資料庫檔案 %1 已被刪除或搬走，無法%2。您輸入的資料仍在畫面上；"
                            "請把檔案放回原處，再重新開啟本程式。")
                 .arg(m_embeddedDatabase, action),
             action);
        return false;
    }
    return true;
}

// Lists the records that match the number, or else the name, as a card; the user may
// load the one picked into the fields.
void StaffWindow::cmdQuery_Click()
{
    failure::report(QStringLiteral("fmStaff_cmdQuery_Click"), [this] {
        if (!databaseReachable(QStringLiteral("查詢")))
            return;
        std::unique_ptr<adodb::MemoryRecordset> records;
        if (const auto refusal = failure::capture([&] {
                const BusyPointer busy;
                records = shownAsTheFields(*staff::listRecords(*m_connection,
                                                               FieldsOfAListing,
                                                               txtId->text(),
                                                               txtName->text()));
            })) {
            tellRefusal(QStringLiteral("fmStaff_cmdQuery_Click"), *refusal, QStringLiteral("查詢"));
            return;
        }
        dialogs::FrmSure &dialog = dialogs::frmSure();
        dialog.ClearMsgFrom();
        if (records->isEOF()) {
            dialog.SHOWMSG(Value(u"查無符合的資料。"), Value(u"查詢"), Value(u"N"));
            return;
        }
        if (!dialog.SHOWMSG(Value(u"符合的資料如下。選好一筆後按載入。"),
                            Value(u"查詢"),
                            Value(u"Y"),
                            records.get(),
                            Value(u"載入"),
                            Value(u"取消")))
            return;
        // One record a column beside the field names; the first unless another is picked.
        const int picked = std::max(dialog.fgList->Col(), 1);
        const QString id = dialog.fgList->cellText(0, picked);
        if (mayDiscardEdits(QStringLiteral("畫面上有尚未存檔的修改，載入 %1 會放棄這些修改。"
                                           "要載入嗎？")
                                .arg(id)))
            loadRecord(id);
    });
}

// The records with their dates as the fields show them, in the window's calendar; the
// card would show the system's Gregorian short date. A listing of staff is short enough
// to hold whole.
std::unique_ptr<adodb::MemoryRecordset> StaffWindow::shownAsTheFields(adodb::Recordset &records) const
{
    QStringList names;
    for (int i = 0; i < records.fieldCount(); ++i)
        names << records.fieldName(i);
    auto shown = std::make_unique<adodb::MemoryRecordset>(names);
    for (; !records.isEOF(); records.MoveNext()) {
        std::vector<Value> values;
        for (int i = 0; i < names.size(); ++i) {
            const Value value = records.fieldValue(i);
            values.push_back(value.type() == Value::Type::Date
                                 ? Value(staff::dateText(value.toDate().date(), m_calendar))
                                 : value);
        }
        shown->addRecord(values);
    }
    return shown;
}

void StaffWindow::loadRecord(const QString &id)
{
    std::optional<staff::Record> record;
    if (const auto refusal = failure::capture([&] {
            const BusyPointer busy;
            record = staff::findRecord(*m_connection, id);
        })) {
        tellRefusal(QStringLiteral("fmStaff_loadRecord"), *refusal, QStringLiteral("載入資料"));
        return;
    }
    if (!record) { // deleted since it was listed, or since the last start
        tell(QStringLiteral("找不到員工編號 %1 的資料，可能已被別人刪除。畫面上的資料沒有變動。")
                 .arg(id),
             QStringLiteral("載入資料"));
        return;
    }
    showRecord(*record);
}

staff::Entry StaffWindow::entryOf(const staff::Record &record) const
{
    return {record.id,
            record.name,
            staff::dateText(record.hired, m_calendar),
            staff::salaryText(record.salaryCents),
            record.note};
}

void StaffWindow::showEntry(const staff::Entry &entry)
{
    txtId->setText(entry.id);
    txtName->setText(entry.name);
    txtHired->setText(entry.hired);
    txtSalary->setText(entry.salary);
    txtNote->setText(entry.note);
}

void StaffWindow::showRecord(const staff::Record &record)
{
    showEntry(entryOf(record));
    m_loaded = record;
    m_shown = entry();
    rememberLastId(record.id);
    showMessage(QStringLiteral("已載入 %1 %2").arg(record.id, record.name));
}

// Checks the fields, then saves them after the user has confirmed: a new record under
// a number nobody has, or the record that was loaded.
void StaffWindow::cmdSave_Click()
{
    failure::report(QStringLiteral("fmStaff_cmdSave_Click"), [this] {
        if (!databaseReachable(QStringLiteral("存檔")))
            return;
        if (m_readOnly) {
            tell(QStringLiteral("資料庫 %1 是唯讀的，無法存檔。您輸入的資料仍在畫面上。")
                     .arg(m_embeddedDatabase),
                 QStringLiteral("存檔"));
            return;
        }
        const staff::Checked checked = staff::check(entry(), m_calendar);
        if (checked.problem) {
            tell(checked.problem->message, QStringLiteral("存檔"));
            focusField(checked.problem->field);
            return;
        }
        const bool editing = m_loaded && m_loaded->id == checked.record.id;
        if (!editing) {
            std::optional<staff::Record> existing;
            if (const auto refusal = failure::capture([&] {
                    const BusyPointer busy;
                    existing = staff::findRecord(*m_connection, checked.record.id);
                })) {
                tellRefusal(QStringLiteral("fmStaff_cmdSave_Click"),
                            *refusal,
                            QStringLiteral("存檔"));
                return;
            }
            if (existing) {
                tell(QStringLiteral("員工編號 %1 已是 %2 的資料，沒有存檔。要修改這筆資料，"
                                    "請先按查詢載入；要新增，請換一個員工編號。")
                         .arg(existing->id, existing->name),
                     QStringLiteral("存檔"));
                focusField(staff::Field::Id);
                return;
            }
        }
        save(checked.record, !editing);
    });
}

void StaffWindow::save(staff::Record record, bool isNew)
{
    if (!confirmSave(record, isNew))
        return;
    if (!isNew)
        record.version = m_loaded->version;
    bool saved = false;
    if (const auto refusal = failure::capture([&] {
            const BusyPointer busy;
            if (isNew)
                record.version = staff::insertRecord(*m_connection, record);
            saved = isNew || staff::updateRecord(*m_connection, record);
        })) {
        tellRefusal(QStringLiteral("fmStaff_cmdSave_Click"), *refusal, QStringLiteral("存檔"));
        return;
    }
    if (!saved) {
        tellConflict(record);
        return;
    }
    if (!isNew)
        ++record.version;
    showRecord(record);
    showMessage(QStringLiteral("已存檔 %1 %2").arg(record.id, record.name));
}

// A card of the record's five fields: the names down the left as headings, in a font
// small enough that every row is in view at the dialog's size, with no scrolling.
void StaffWindow::showsEveryRow(dialogs::FrmSure &dialog, int headingRows)
{
    dialog.SetList(Value(1), Value(headingRows), Value(CardFontSize));
}

bool StaffWindow::confirmSave(const staff::Record &record, bool isNew)
{
    dialogs::FrmSure &dialog = dialogs::frmSure();
    dialog.ClearMsgFrom();
    showsEveryRow(dialog, 0);
    QString hired = staff::dateText(record.hired, m_calendar);
    if (record.hired)
        hired += u' ' + staff::otherCalendarText(*record.hired, m_calendar);
    dialog.AddLine(Value(QStringLiteral("員工編號\t") + record.id));
    dialog.AddLine(Value(QStringLiteral("姓名\t") + shortened(record.name)));
    dialog.AddLine(Value(QStringLiteral("到職日\t") + hired));
    dialog.AddLine(Value(QStringLiteral("月薪\t") + staff::salaryText(record.salaryCents)));
    dialog.AddLine(Value(QStringLiteral("備註\t") + shortened(record.note)));
    return dialog.SHOWMSG(Value(isNew ? u"確定要新增這筆資料嗎？" : u"確定要修改這筆資料嗎？"),
                          Value(u"存檔"),
                          Value(u"Y"),
                          nullptr,
                          Value(u"存檔"),
                          Value(u"取消"));
}

// Another clerk saved or deleted the record after it was loaded: the fields this clerk
// changed are shown beside what the other saved, and stay in the fields. Keeping them
// puts them over the other clerk's record, whose other fields come in as they were
// saved; the next save stores the two together.
void StaffWindow::tellConflict(const staff::Record &mine)
{
    std::optional<staff::Record> theirs;
    if (const auto refusal = failure::capture(
            [&] { theirs = staff::findRecord(*m_connection, mine.id); })) {
        tellRefusal(QStringLiteral("fmStaff_cmdSave_Click"), *refusal, QStringLiteral("存檔"));
        return;
    }
    if (!theirs) {
        tell(QStringLiteral("員工編號 %1 的資料在您載入後已被別人刪除，您的修改沒有存入，"
                            "仍在畫面上。要重新新增這筆資料，請再按一次存檔。")
                 .arg(mine.id),
             QStringLiteral("存檔"));
        m_loaded.reset();
        return;
    }
    const staff::Entry typed = entry();
    const staff::Entry loaded = m_shown;
    const staff::Entry saved = entryOf(*theirs);
    struct Column
    {
        const char16_t *caption;
        QString staff::Entry::*text;
    };
    const Column columns[] = {{u"姓名", &staff::Entry::name},
                              {u"到職日", &staff::Entry::hired},
                              {u"月薪", &staff::Entry::salary},
                              {u"備註", &staff::Entry::note}};
    const auto changed = [&](const Column &column) {
        return typed.*column.text != loaded.*column.text;
    };
    dialogs::FrmSure &dialog = dialogs::frmSure();
    dialog.ClearMsgFrom();
    showsEveryRow(dialog, 1);
    dialog.AddLine(Value(QStringLiteral("欄位\t您改的\t別人存的")));
    for (const Column &column : columns)
        dialog.AddLine(Value(
            QStringLiteral("%1\t%2\t%3")
                .arg(QString::fromUtf16(column.caption),
                     changed(column) ? shortened(typed.*column.text) : QStringLiteral("（沒改）"),
                     shortened(saved.*column.text))));
    if (dialog.SHOWMSG(Value(QStringLiteral(
                                 "員工編號 %1 在您載入後已被別人修改並存檔，您的修改沒有存入。"
                                 "要改看別人存的內容，還是把您改的欄位放到別人存的內容上？")
                                 .arg(mine.id)),
                       Value(u"存檔"),
                       Value(u"Y"),
                       nullptr,
                       Value(u"看別人的"),
                       Value(u"保留我改的"))) {
        showRecord(*theirs);
        return;
    }
    showRecord(*theirs);
    staff::Entry merged = saved;
    for (const Column &column : columns) {
        if (changed(column))
            merged.*column.text = typed.*column.text;
    }
    showEntry(merged);
    showMessage(QStringLiteral("您改的欄位已放到別人存的內容上；再按存檔才會存入"));
}

// A failure of the database told in the clerk's words; its own text goes to the log.
void StaffWindow::tellRefusal(const QString &procedure,
                              const failure::Failure &refusal,
                              const QString &action)
{
    failure::keepInLog(procedure, refusal);
    // The provider's records tell the cause alike on SQLite and PostgreSQL.
    const adodb::Errors &why = m_connection->Errors();
    QString message;
    if (adodb::isLockedOrBusy(why) || adodb::isTimeout(why))
        message = QStringLiteral("資料庫正被其他程式使用中，等了一段時間仍無法%1。請稍後再試。");
    else if (adodb::isReadOnly(why))
        message = QStringLiteral("資料庫是唯讀的，無法%1。");
    else if (adodb::isDuplicateKey(why))
        message = QStringLiteral("這個員工編號剛被別人新增，無法%1。請先查詢再決定。");
    else if (adodb::isConnectionLost(why))
        message = QStringLiteral("與資料庫的連線中斷了，無法%1。請稍後再試。");
    else
        message = QStringLiteral("資料庫無法%1。");
    tell(message.arg(action)
             + QStringLiteral("您輸入的資料仍在畫面上；詳細原因記在錯誤記錄檔 %1。")
                   .arg(basBase::LogFilePath),
         action);
}

void StaffWindow::cmdClear_Click()
{
    for (QLineEdit *field : {txtId, txtName, txtHired, txtSalary, txtNote})
        field->clear();
    m_loaded.reset();
    m_shown = entry();
    showMessage(m_versionCaption);
    txtId->setFocus();
}

void StaffWindow::Form_QueryUnload(bool &cancel)
{
    cancel = !mayDiscardEdits(QStringLiteral("畫面上有尚未存檔的修改。要放棄這些修改並結束嗎？"));
}

staff::Entry StaffWindow::entry() const
{
    return {txtId->text(), txtName->text(), txtHired->text(), txtSalary->text(), txtNote->text()};
}

// The number and the name are also what 查詢 looks for: either typed alone edits
// nothing. A changed name of the loaded record is an edit, and so are a number and a
// name typed together, which is a new record.
bool StaffWindow::hasUnsavedEdits() const
{
    const staff::Entry now = entry();
    const bool sameNumber = now.id == m_shown.id;
    const bool newNumberAndName = !sameNumber && now.name != m_shown.name
                                  && !now.id.trimmed().isEmpty() && !now.name.trimmed().isEmpty();
    return now.hired != m_shown.hired || now.salary != m_shown.salary || now.note != m_shown.note
           || (m_loaded && sameNumber && now.name != m_shown.name) || newNumberAndName;
}

bool StaffWindow::mayDiscardEdits(const QString &question)
{
    return !hasUnsavedEdits()
           || ask(question, windowTitle(), QStringLiteral("放棄修改"), QStringLiteral("取消"));
}

void StaffWindow::focusField(staff::Field field)
{
    QLineEdit *const fields[] = {txtId, txtName, txtHired, txtSalary, txtNote};
    QLineEdit *target = fields[int(field)];
    target->setFocus();
    basBase::SelectAllText(*target);
}

// The message bar holds one line: a longer text is shortened there and shown whole as
// its tool tip.
void StaffWindow::showMessage(const QString &text)
{
    const int room = std::max(elaMsg->width() - 12, 0);
    elaMsg->setCaption(elaMsg->fontMetrics().elidedText(text, Qt::ElideRight, room));
    elaMsg->setToolTip(text);
}

void StaffWindow::tell(const QString &message, const QString &title)
{
    dialogs::frmSure().ClearMsgFrom();
    dialogs::frmSure().SHOWMSG(Value(message), Value(title), Value(u"N"));
}

bool StaffWindow::ask(const QString &message,
                      const QString &title,
                      const QString &yes,
                      const QString &no)
{
    dialogs::frmSure().ClearMsgFrom();
    return dialogs::frmSure()
        .SHOWMSG(Value(message), Value(title), Value(u"Y"), nullptr, Value(yes), Value(no));
}

// A settings file that refuses the write (a link planted in a shared folder) is
// reported, naming the file; the record on the screen stays as it is.
void StaffWindow::rememberLastId(const QString &id)
{
    failure::report(QStringLiteral("fmStaff_rememberLastId"), [&] {
        QDir().mkpath(QFileInfo(staff::iniFilePath()).absolutePath());
        basBase::WriteIniValue(staff::iniFilePath(),
                               QStringLiteral("Staff"),
                               QStringLiteral("LastId"),
                               id);
    });
}
