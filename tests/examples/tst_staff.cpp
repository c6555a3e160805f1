// The reference program's main path, on its embedded database in a Chinese home
// folder: first start, a query shown as a card and loaded, a confirmed save, and a
// save the database refuses.
#include "staffwindow.h"

#include "dialogs/dialogtesting.h"
#include "suiteframe/adodb/connection.h"
#include "suiteframe/adodb/queryrecordset.h"
#include "suiteframe/base/basBase.h"
#include "suiteframe/dialogs/messagepanel.h"

#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>

using namespace dialogtesting;

class tst_Staff : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const QString home = m_dir.filePath(QStringLiteral("王小明 的家"));
        qputenv("XDG_DATA_HOME", (home + QStringLiteral("/資料")).toUtf8());
        qputenv("XDG_CONFIG_HOME", (home + QStringLiteral("/設定")).toUtf8());
        m_database = home + QStringLiteral("/資料/suiteframe/staff.db");
        m_ini = home + QStringLiteral("/設定/suiteframe/staff.ini");
        controls::installFontSubstitutes();
        frame::setProgram(StaffWindow::program());
    }

    void queryLoadSaveAndARefusedSave()
    {
        ReportCapture reports;
        ModalDriver driver;
        StaffWindow window;
        window.show();
        QVERIFY(QFile::exists(m_database));
        QCOMPARE(window.lblHead[0]->text(), QStringLiteral("人事"));

        window.txtName->setText(QStringLiteral("黃"));
        QStringList card;
        driver.whenShown<dialogs::FrmSure>([&card](dialogs::FrmSure *dialog) {
            card = column(dialog->fgList, 1);
            clickButton(dialog->cmdOK);
        });
        clickButton(window.cmdQuery);
        QCOMPARE(card,
                 (QStringList{QStringLiteral("A003"),
                              QStringLiteral("黃𡩋祥"),
                              QStringLiteral("1988/7/15"),
                              QStringLiteral("52000.5"),
                              QStringLiteral("會計課")}));
        QCOMPARE(window.txtId->text(), QStringLiteral("A003"));
        QCOMPARE(window.txtHired->text(), QStringLiteral("1988/07/15"));
        QCOMPARE(window.lblHiredRoc->text(), QStringLiteral("民國 77/07/15"));

        window.txtSalary->setText(QStringLiteral("53000"));
        QString question;
        driver.whenShown<dialogs::FrmSure>([&question](dialogs::FrmSure *dialog) {
            question = dialog->elaMsg->Caption();
            clickButton(dialog->cmdOK);
        });
        clickButton(window.cmdSave);
        QCOMPARE(question, QStringLiteral("確定要修改這筆資料嗎？"));
        QCOMPARE(salaryOnDisk(), 53000.0);

        window.txtSalary->setText(QStringLiteral("-1"));
        driver.whenShown<dialogs::FrmSure>(
            [](dialogs::FrmSure *dialog) { clickButton(dialog->cmdOK); });
        clickButton(window.cmdSave);
        QCOMPARE(reports.procedures(), QStringList{QStringLiteral("fmStaff_cmdSave_Click")});
        QCOMPARE(salaryOnDisk(), 53000.0);

        QFile ini(m_ini);
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QVERIFY(ini.readAll().contains("LastId=A003"));
        window.hide();
    }

private:
    double salaryOnDisk() const
    {
        adodb::Connection connection;
        connection.setConnectionString(QStringLiteral("Driver=SQLite3;Database=") + m_database);
        connection.Open();
        return connection.Execute(QStringLiteral("SELECT salary FROM staff WHERE id = 'A003'"))
            ->fieldValue(0)
            .toDouble();
    }

    QTemporaryDir m_dir;
    QString m_database;
    QString m_ini;
};

QTEST_MAIN(tst_Staff)

#include "tst_staff.moc"
