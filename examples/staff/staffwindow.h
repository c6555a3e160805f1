#pragma once

#include <suiteframe/frame/application.h>
#include <suiteframe/frame/fmMain.h>

#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;

namespace adodb {
class Connection;
}

// The reference program of the suite: staff records kept in a table, on the frame's
// main window. The body panel holds one record's fields; 查詢 lists the matching
// records as a card and loads the first, 存檔 confirms and saves the fields.
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

private:
    void createFields();
    void createButtons();

    void cmdQuery_Click();
    void cmdSave_Click();
    void cmdClear_Click();

    void openDatabase();
    QString queryCondition() const;
    void showRecord(const QString &id);
    bool confirmSave(bool exists);
    QString saveStatement(bool exists) const;
    bool recordExists(const QString &id) const;
    void rememberLastId(const QString &id);

    std::unique_ptr<adodb::Connection> m_connection;
};
