// The reference program's window: one staff record's fields on the frame.

#pragma once

#include "staffrecord.h"

#include <suiteframe/frame/application.h>
#include <suiteframe/frame/fmMain.h>

#include <memory>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace adodb {
class Connection;
class MemoryRecordset;
class Recordset;
} // namespace adodb
namespace dialogs {
class FrmSure;
}
namespace failure {
struct Failure;
}

// The reference program of the suite: staff records kept in a table, on the frame's
// main window. The body panel holds one record's fields; 查詢 lists the matching
// records as a card and loads the one picked, 存檔 checks the fields, confirms and
// saves them.
//
// A record is changed only after it was loaded, and only while nobody else has saved
// it since: a number that names a record not loaded is refused, and a record that
// another clerk saved in the meantime is shown beside the fields this clerk changed,
// which stay on the screen. Ending the program with edits not saved asks first.
class StaffWindow : public frame::FmMain
{
public:
    StaffWindow();
    ~StaffWindow() override;

    // The program's name, title and version, for the start-up.
    static frame::Program program();

    QLineEdit *txtId = nullptr;
    QLineEdit *txtName = nullptr;
    QLineEdit *txtHired = nullptr;
    QLabel *lblHiredRoc = nullptr;
    QLineEdit *txtSalary = nullptr;
    QLineEdit *txtNote = nullptr;
    QPushButton *cmdQuery = nullptr;
    QPushButton *cmdSave = nullptr;
    QPushButton *cmdClear = nullptr;

protected:
    void InitForm() override;
    void Form_QueryUnload(bool &cancel) override;

private:
    void createFields();
    void createButtons();

    void cmdQuery_Click();
    void cmdSave_Click();
    void cmdClear_Click();

    bool openDatabase();
    bool openEmbeddedDatabase(bool *withSamples);
    bool databaseReachable(const QString &action);
    std::unique_ptr<adodb::MemoryRecordset> shownAsTheFields(adodb::Recordset &records) const;
    void loadRecord(const QString &id);
    staff::Entry entryOf(const staff::Record &record) const;
    void showEntry(const staff::Entry &entry);
    void showRecord(const staff::Record &record);
    void save(staff::Record record, bool isNew);
    static void showsEveryRow(dialogs::FrmSure &dialog, int headingRows);
    bool confirmSave(const staff::Record &record, bool isNew);
    void tellConflict(const staff::Record &mine);
    void tellRefusal(const QString &procedure,
                     const failure::Failure &refusal,
                     const QString &action);

    staff::Entry entry() const;
    bool hasUnsavedEdits() const;
    bool mayDiscardEdits(const QString &question);
    void focusField(staff::Field field);
    void showMessage(const QString &text);
    void tell(const QString &message, const QString &title);
    bool ask(const QString &message, const QString &title, const QString &yes, const QString &no);
    void rememberLastId(const QString &id);

    std::unique_ptr<adodb::Connection> m_connection;
    // The record in the fields as it was loaded or saved; none for a new one.
    std::optional<staff::Record> m_loaded;
    // The fields as they were last loaded, saved or cleared.
    staff::Entry m_shown;
    // The embedded database's file; empty when the program uses a server.
    QString m_embeddedDatabase;
    bool m_readOnly = false;
    staff::Calendar m_calendar = staff::Calendar::Gregorian;
    QString m_versionCaption;
};
