#include "staffwindow.h"

#include "staffdatabase.h"

#include <suiteframe/adodb/connection.h>
#include <suiteframe/adodb/queryrecordset.h>
#include <suiteframe/base/basBase.h>
#include <suiteframe/base/failure.h>
#include <suiteframe/controls/panel.h>
#include <suiteframe/controls/twips.h>
#include <suiteframe/database/basADODB.h>
#include <suiteframe/dialogs/frmSure.h>
#include <suiteframe/platform/runtimeerror.h>

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using platform::Value;
namespace twips = controls::twips;

namespace {

constexpr double LabelLeft = 600;
constexpr double FieldLeft = 1800;
constexpr double FirstRowTop = 450;
constexpr double RowPitch = 510;
constexpr double FieldHeight = 360;

const QString FieldsOfAListing = QStringLiteral("id AS 編號, name AS 姓名, hired AS 到職日, "
                                                "salary AS 月薪, note AS 備註");
const QString FieldsOfARecord = QStringLiteral("id, name, hired, salary, note");

// A field's text as a column's value in a statement: NULL when left empty.
QString sqlValue(const QString &text)
{
    return text.trimmed().isEmpty() ? QStringLiteral("NULL") : basBase::SQLQuote(Value(text));
}

QString textOf(const Value &value)
{
    return value.isNull() ? QString() : value.toText();
}

QString rocDate(const Value &date)
{
    const QString shown = basBase::DBDateDisp(date, Value(u"CC/MM/DD"));
    return shown.isEmpty() ? QString() : QStringLiteral("民國 ") + shown;
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
    return {QStringLiteral("人事"), QStringLiteral("人事資料維護"), 1, 1, 0};
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
    txtId->setMaxLength(10);
    txtName = addField(1, QStringLiteral("姓名"), QStringLiteral("txtName"), 2400);
    txtName->setMaxLength(40);
    txtHired = addField(2, QStringLiteral("到職日"), QStringLiteral("txtHired"), 1500);
    txtHired->setPlaceholderText(QStringLiteral("1988/07/15"));
    txtSalary = addField(3, QStringLiteral("月薪"), QStringLiteral("txtSalary"), 1500);
    txtNote = addField(4, QStringLiteral("備註"), QStringLiteral("txtNote"), 5400);
    txtNote->setMaxLength(200);

    lblHiredRoc = new QLabel(vsElastic1);
    lblHiredRoc->setObjectName(QStringLiteral("lblHiredRoc"));
    twips::setGeometry(lblHiredRoc,
                       FieldLeft + 1500 + 150,
                       FirstRowTop + 2 * RowPitch,
                       2400,
                       FieldHeight);
    connect(txtHired, &QLineEdit::textChanged, lblHiredRoc, [this](const QString &text) {
        lblHiredRoc->setText(rocDate(Value(text)));
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
    txtId->setText(basBase::ReadIniValue(staff::iniFilePath(),
                                         QStringLiteral("Staff"),
                                         QStringLiteral("LastId")));
    openDatabase();
}

void StaffWindow::openDatabase()
{
    if (!basADODB::ConnectADO(Value(staff::connectionString()), m_connection)) {
        elaMsg->setCaption(QStringLiteral("無法連接資料庫"));
        dialogs::frmSure().ClearMsgFrom();
        dialogs::frmSure()
            .SHOWMSG(Value(
                         QStringLiteral("無法連接資料庫。請檢查 %1 的 [Database] ConnectionString；"
                                        "原因記在錯誤記錄檔 %2。")
                             .arg(staff::iniFilePath(), basBase::LogFilePath)),
                     Value(windowTitle()),
                     Value(u"N"));
        return;
    }
    staff::prepareDatabase(*m_connection);
}

// Lists the records that match the number, or else the name, as a card; the user may
// load the first into the fields.
void StaffWindow::cmdQuery_Click()
{
    failure::report(QStringLiteral("fmStaff_cmdQuery_Click"), [this] {
        const auto records = m_connection->Execute(
            QStringLiteral("SELECT %1 FROM staff%2 ORDER BY id")
                .arg(FieldsOfAListing, queryCondition()));
        dialogs::FrmSure &dialog = dialogs::frmSure();
        dialog.ClearMsgFrom();
        if (records->isEOF()) {
            dialog.SHOWMSG(Value(u"查無符合的資料。"), Value(u"查詢"), Value(u"N"));
            return;
        }
        const QString firstId = records->fieldValue(0).toText();
        if (dialog.SHOWMSG(Value(u"符合的資料如下。要載入第一筆嗎？"),
                           Value(u"查詢"),
                           Value(u"Y"),
                           records.get(),
                           Value(u"載入"),
                           Value(u"取消")))
            showRecord(firstId);
    });
}

QString StaffWindow::queryCondition() const
{
    if (!txtId->text().trimmed().isEmpty())
        return QStringLiteral(" WHERE id = ") + basBase::SQLQuote(Value(txtId->text()));
    if (!txtName->text().trimmed().isEmpty())
        return QStringLiteral(" WHERE name LIKE ")
               + basBase::SQLQuote(
                   Value(QLatin1Char('%') + txtName->text().trimmed() + QLatin1Char('%')));
    return QString();
}

void StaffWindow::showRecord(const QString &id)
{
    const auto record = m_connection->Execute(
        QStringLiteral("SELECT %1 FROM staff WHERE id = %2")
            .arg(FieldsOfARecord, basBase::SQLQuote(Value(id))));
    if (record->isEOF())
        return;
    txtId->setText(textOf(record->fieldValue(0)));
    txtName->setText(textOf(record->fieldValue(1)));
    txtHired->setText(basBase::DBDateDisp(record->fieldValue(2), Value(u"YYYY/MM/DD")));
    txtSalary->setText(textOf(record->fieldValue(3)));
    txtNote->setText(textOf(record->fieldValue(4)));
    rememberLastId(id);
    elaMsg->setCaption(QStringLiteral("已載入 %1 %2").arg(txtId->text(), txtName->text()));
}

// Saves the fields after the user has confirmed them; a wrong date or amount, and a
// statement the database refuses, are reported.
void StaffWindow::cmdSave_Click()
{
    failure::report(QStringLiteral("fmStaff_cmdSave_Click"), [this] {
        const QString id = txtId->text().trimmed();
        if (id.isEmpty()) {
            dialogs::frmSure().ClearMsgFrom();
            dialogs::frmSure().SHOWMSG(Value(u"請先輸入員工編號。"), Value(u"存檔"), Value(u"N"));
            txtId->setFocus();
            return;
        }
        const bool exists = recordExists(id);
        const QString statement = saveStatement(exists);
        if (!confirmSave(exists))
            return;
        m_connection->Execute(statement);
        rememberLastId(id);
        elaMsg->setCaption(QStringLiteral("已存檔 %1 %2").arg(id, txtName->text()));
    });
}

QString StaffWindow::saveStatement(bool exists) const
{
    const QString id = basBase::SQLQuote(Value(txtId->text()));
    const QString name = basBase::SQLQuote(Value(txtName->text()));
    QString hired = QStringLiteral("NULL");
    if (!txtHired->text().trimmed().isEmpty())
        hired = basBase::SQLQuote(
            Value(Value(txtHired->text()).toDate().date().toString(Qt::ISODate)));
    QString salary = QStringLiteral("NULL");
    if (!txtSalary->text().trimmed().isEmpty())
        salary = basBase::SQLQuote(
            Value(QString::number(Value(txtSalary->text()).toDouble(), 'f', 2)));
    const QString note = sqlValue(txtNote->text());
    if (exists) {
        return QStringLiteral(
                   "UPDATE staff SET name = %2, hired = %3, salary = %4, note = %5 WHERE id = %1")
            .arg(id, name, hired, salary, note);
    }
    return QStringLiteral(
               "INSERT INTO staff (id, name, hired, salary, note) VALUES (%1, %2, %3, %4, %5)")
        .arg(id, name, hired, salary, note);
}

bool StaffWindow::recordExists(const QString &id) const
{
    const auto count = m_connection->Execute(
        QStringLiteral("SELECT COUNT(*) FROM staff WHERE id = %1").arg(basBase::SQLQuote(Value(id))));
    return count->fieldValue(0).toLong() > 0;
}

bool StaffWindow::confirmSave(bool exists)
{
    dialogs::FrmSure &dialog = dialogs::frmSure();
    dialog.ClearMsgFrom();
    dialog.AddLine(Value(QStringLiteral("員工編號\t") + txtId->text().trimmed()));
    dialog.AddLine(Value(QStringLiteral("姓名\t") + txtName->text()));
    dialog.AddLine(
        Value(QStringLiteral("到職日\t%1 %2").arg(txtHired->text(), lblHiredRoc->text())));
    dialog.AddLine(Value(QStringLiteral("月薪\t") + txtSalary->text()));
    dialog.AddLine(Value(QStringLiteral("備註\t") + txtNote->text()));
    return dialog.SHOWMSG(Value(exists ? u"確定要修改這筆資料嗎？" : u"確定要新增這筆資料嗎？"),
                          Value(u"存檔"),
                          Value(u"Y"),
                          nullptr,
                          Value(u"存檔"),
                          Value(u"取消"));
}

void StaffWindow::cmdClear_Click()
{
    for (QLineEdit *field : {txtId, txtName, txtHired, txtSalary, txtNote})
        field->clear();
    elaMsg->setCaption(QString());
    txtId->setFocus();
}

void StaffWindow::rememberLastId(const QString &id)
{
    QDir().mkpath(QFileInfo(staff::iniFilePath()).absolutePath());
    basBase::WriteIniValue(staff::iniFilePath(),
                           QStringLiteral("Staff"),
                           QStringLiteral("LastId"),
                           id);
}
