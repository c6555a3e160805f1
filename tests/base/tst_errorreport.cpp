// Runtime errors reported and logged: the five-line message, the error log's records in
// the code page, writers at once, unusable or read-only logs, and the real warning box.
#include "suiteframe/base/basBase.h"
#include "suiteframe/base/failure.h"
#include "suiteframe/platform/codepage.h"
#include "suiteframe/platform/runtimeerror.h"
#include "support/desktopcapture.h"
#include "support/modaldriver.h"
#include "support/ordinaryuser.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using platform::RuntimeError;

namespace {

const QString DBDateDispMessage = QStringLiteral("處理程序: (DBDateDisp)\r\n"
                                                 "執行錯誤, 代碼:  13\r\n"
                                                 "訊息: \r\n"
                                                 "     型態不符合\r\n"
                                                 "\r\n");

const QString ProviderMessage = QStringLiteral("處理程序: (ConnectADO)\r\n"
                                               "執行錯誤, 代碼: -2147467259\r\n"
                                               "訊息: \r\n"
                                               "     應用程式定義或物件定義錯誤\r\n"
                                               "\r\n");

// The stamp line as bytes of the code page in force, with any date and time.
QRegularExpression stampLine()
{
    return QRegularExpression(
        QStringLiteral("^\\*\\*記錄時間 - \\d\\d/\\d\\d/\\d\\d, \\d\\d:\\d\\d:\\d\\d \r\n"));
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void throwError(qint32 number, const QString &description = QString())
{
    throw RuntimeError(number, description);
}

// Child mode: appends `count` records to the log, each naming its writer and index.
int appendRecords(const char *path, const char *writer, int count)
{
    basBase::LogFilePath = QString::fromLocal8Bit(path);
    for (int i = 0; i < count; ++i) {
        failure::log(QStringLiteral("%1_%2").arg(QString::fromLatin1(writer)).arg(i),
                     [] { throwError(platform::ErrorNumber::TypeMismatch); });
    }
    return 0;
}

} // namespace

class tst_ErrorReport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::Taiwan)); }

    void init()
    {
        QVERIFY(m_dir.isValid());
        basBase::LogFilePath = m_dir.filePath(QStringLiteral("error.log"));
        QFile::remove(basBase::LogFilePath);
        // Where a refused log's records go instead.
        qputenv("XDG_STATE_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("state"))));
        QDir(m_dir.filePath(QStringLiteral("state"))).removeRecursively();
        QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("state/suiteframe"))));
    }

    void cleanup()
    {
        basBase::LogFilePath.clear();
        platform::codepage::setName(QString());
        platform::Err().clear();
        QCOMPARE(QApplication::topLevelWidgets().size(), 0);
    }

    void messageHasFiveLines_data()
    {
        QTest::addColumn<QString>("procedure");
        QTest::addColumn<qint32>("number");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("positive number stands two blanks after the colon")
            << "DBDateDisp" << 13 << "型態不符合" << DBDateDispMessage;
        QTest::newRow("negative number stands one blank after the colon")
            << "ConnectADO" << -2147467259 << "應用程式定義或物件定義錯誤" << ProviderMessage;
        QTest::newRow("a text of several lines keeps to the indent, starting no record")
            << "x" << 5 << "甲\r\n**記錄時間 - 26/01/01, 00:00:00 \n乙"
            << QStringLiteral("處理程序: (x)\r\n執行錯誤, 代碼:  5\r\n訊息: \r\n     甲\r\n"
                              "     **記錄時間 - 26/01/01, 00:00:00 \r\n     乙\r\n\r\n");
        QTest::newRow("zero takes the blank sign position")
            << "x" << 0 << ""
            << QStringLiteral("處理程序: (x)\r\n執行錯誤, 代碼:  0\r\n訊息: \r\n     \r\n\r\n");
    }

    void messageHasFiveLines()
    {
        QFETCH(QString, procedure);
        QFETCH(qint32, number);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(basBase::errorMessage(procedure, number, text), expected);
    }

    void logRecordStampsLocalTime()
    {
        const QDateTime when(QDate(2012, 12, 8), QTime(14, 5, 9));
        QCOMPARE(basBase::logRecord(when, DBDateDispMessage),
                 QStringLiteral("**記錄時間 - 12/12/08, 14:05:09 \r\n") + DBDateDispMessage);
        const QDateTime morning(QDate(2005, 3, 5), QTime(0, 0, 1));
        QVERIFY(basBase::logRecord(morning, QString())
                    .startsWith(QStringLiteral("**記錄時間 - 05/03/05, 00:00:01 \r\n")));
    }

    void reportWritesRecordInCodePage_data()
    {
        QTest::addColumn<QString>("codePage");
        QTest::newRow("UTF-8") << "UTF-8";
        QTest::newRow("Big5") << "BIG5";
        QTest::newRow("CP950") << "CP950";
    }

    void reportWritesRecordInCodePage()
    {
        QFETCH(QString, codePage);
        platform::codepage::setName(codePage);
        DesktopCapture desktop;

        failure::report(QStringLiteral("DBDateDisp"), [] { throwError(13); });

        const QByteArray bytes = readAll(basBase::LogFilePath);
        const QByteArray message = platform::codepage::fromUnicode(DBDateDispMessage);
        QVERIFY(bytes.endsWith(message));
        const QString stamp = platform::codepage::toUnicode(
            bytes.left(bytes.size() - message.size()));
        QVERIFY2(stampLine().match(stamp).hasMatch(), qPrintable(stamp));
        QCOMPARE(stamp.size(), QStringLiteral("**記錄時間 - 12/12/08, 14:05:09 \r\n").size());
        if (codePage != QLatin1String("UTF-8"))
            QVERIFY(bytes.startsWith(QByteArray("**\xB0O\xBF\xFD\xAE\xC9\xB6\xA1 - ")));
        QCOMPARE(desktop.beeps, 1);
        QCOMPARE(desktop.warnings.size(), 1);
        QCOMPARE(desktop.warnings[0].text, DBDateDispMessage);
        QCOMPARE(platform::Err().Number, 0);
    }

    void reportShowsTheErrorsOwnDescription()
    {
        DesktopCapture desktop;
        failure::report(QStringLiteral("ConnectADO"),
                        [] { throwError(-2147467259, QStringLiteral("連線被拒")); });
        QCOMPARE(desktop.warnings.size(), 1);
        QVERIFY(desktop.warnings[0].text.contains(QStringLiteral("     連線被拒\r\n")));
        QVERIFY(desktop.warnings[0].text.contains(QStringLiteral("代碼: -2147467259\r\n")));
    }

    void recordsAppendAfterTheLastByte()
    {
        DesktopCapture desktop;
        {
            QFile file(basBase::LogFilePath);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("no newline at the end \xFF");
        }
        failure::report(QStringLiteral("DBDateDisp"), [] { throwError(13); });
        failure::report(QStringLiteral("DBDateDisp"), [] { throwError(13); });

        const QByteArray bytes = readAll(basBase::LogFilePath);
        QVERIFY(bytes.startsWith("no newline at the end \xFF**"));
        const QString text = QString::fromUtf8(bytes.mid(23));
        const QStringList records = text.split(QStringLiteral("\r\n\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(records.size(), 2);
        for (const QString &record : records)
            QVERIFY(stampLine().match(record).hasMatch());
        QVERIFY(text.endsWith(QStringLiteral("型態不符合\r\n\r\n")));
    }

    void concurrentWritersLoseNoRecord()
    {
        const int perWriter = 500;
        QList<QProcess *> writers;
        for (const char *name : {"A", "B"}) {
            auto *process = new QProcess(this);
            process->start(QCoreApplication::applicationFilePath(),
                           {QStringLiteral("--append-records"),
                            basBase::LogFilePath,
                            QString::fromLatin1(name),
                            QString::number(perWriter)});
            writers.append(process);
        }
        for (QProcess *process : writers) {
            QVERIFY(process->waitForFinished(60000));
            QCOMPARE(process->exitCode(), 0);
            delete process;
        }

        const QString text = QString::fromUtf8(readAll(basBase::LogFilePath));
        static const QRegularExpression record(
            QStringLiteral("\\*\\*記錄時間 - \\d\\d/\\d\\d/\\d\\d, \\d\\d:\\d\\d:\\d\\d \r\n"
                           "處理程序: \\(([AB])_(\\d+)\\)\r\n執行錯誤, 代碼:  13\r\n訊息: \r\n     "
                           "型態不符合\r\n\r\n"));
        QSet<QString> seen;
        qsizetype covered = 0;
        for (auto it = record.globalMatch(text); it.hasNext();) {
            const QRegularExpressionMatch match = it.next();
            seen.insert(match.captured(1) + match.captured(2));
            covered += match.capturedLength();
        }
        QCOMPARE(seen.size(), 2 * perWriter);
        QCOMPARE(covered, text.size()); // nothing torn between the records
    }

    void unusableLogPathsWriteNothingAndFailNothing_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("refused"); // told, and the records kept in the user's own log
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("missing folder")
            << m_dir.filePath(QStringLiteral("missing/error.log")) << false;
        QTest::newRow("a folder") << m_dir.path() << false;
        QTest::newRow("full disk") << "/dev/full" << true;
        QTest::newRow("FIFO without a reader") << m_dir.filePath(QStringLiteral("fifo")) << true;
        QTest::newRow("NUL inside")
            << m_dir.filePath(QStringLiteral("error.log")) + QChar(u'\0') + QStringLiteral(".old")
            << false;
    }

    void unusableLogPathsWriteNothingAndFailNothing()
    {
        QFETCH(QString, path);
        QFETCH(bool, refused);
        if (path.endsWith(QLatin1String("fifo")))
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        basBase::LogFilePath = path;
        const QString before = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
        DesktopCapture desktop;
        failure::report(QStringLiteral("DBDateDisp"), [] { throwError(13); });
        failure::log(QStringLiteral("ConnectADO"), [] { throwError(-2147467259); });
        QDir::setCurrent(before);

        QCOMPARE(desktop.beeps, 1);
        QCOMPARE(desktop.warnings.size(), 1);
        QCOMPARE(desktop.warnings.first().text.contains(QStringLiteral("拒絕寫入 ") + path),
                 refused);
        const QByteArray kept = readAll(
            m_dir.filePath(QStringLiteral("state/suiteframe/error.log")));
        QCOMPARE(kept.count("**"), refused ? 2 : 0);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 0);
        QVERIFY(!QFileInfo::exists(m_dir.filePath(QStringLiteral("missing"))));
        QFile::remove(m_dir.filePath(QStringLiteral("fifo")));
    }

    // As root every file is writable; the report runs as an ordinary user.
    void readOnlyLogIsLeftAsItWas()
    {
        {
            QFile file(basBase::LogFilePath);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("old");
        }
        QFile::setPermissions(basBase::LogFilePath,
                              QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        QFile::setPermissions(m_dir.path(),
                              QFile::permissions(m_dir.path()) | QFile::ExeOther | QFile::ReadOther);

        QCOMPARE(exitCodeAsOrdinaryUser([] {
                     failure::log(QStringLiteral("ConnectADO"), [] { throwError(-2147467259); });
                     return 0;
                 }),
                 0);
        QCOMPARE(readAll(basBase::LogFilePath), QByteArray("old"));
        QFile::setPermissions(basBase::LogFilePath, QFile::ReadOwner | QFile::WriteOwner);
    }

    void logErrorIsQuietAndUsesTheStandardText()
    {
        DesktopCapture desktop;
        platform::desktop::setMousePointer(platform::desktop::MousePointer::Hourglass);
        failure::log(QStringLiteral("ConnectADO"),
                     [] { throwError(-2147467259, QStringLiteral("password=secret")); });

        QCOMPARE(desktop.beeps, 0);
        QCOMPARE(desktop.warnings.size(), 0);
        QCOMPARE(platform::desktop::mousePointer(), platform::desktop::MousePointer::Hourglass);
        platform::desktop::setMousePointer(platform::desktop::MousePointer::Default);

        const QString text = QString::fromUtf8(readAll(basBase::LogFilePath));
        QVERIFY(text.endsWith(ProviderMessage));
        QVERIFY(!text.contains(QStringLiteral("secret")));
    }

    void reportRestoresTheDefaultPointer()
    {
        DesktopCapture desktop;
        platform::desktop::setMousePointer(platform::desktop::MousePointer::Hourglass);
        failure::report(QStringLiteral("DBDateDisp"), [] { throwError(13); });
        QCOMPARE(platform::desktop::mousePointer(), platform::desktop::MousePointer::Default);
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void reportGoesThroughTheRealWarningBox()
    {
        QCoreApplication::setApplicationName(QStringLiteral("測試程式"));
        QString title, text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        ModalDriver driver;
        driver.whenShown<QMessageBox>([&](QMessageBox *box) {
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            QCOMPARE(box->buttons().size(), 1);
            QTest::mouseClick(box->buttons().first(), Qt::LeftButton);
        });

        failure::report(QStringLiteral("DBDateDisp"), [] { throwError(13); });

        QCOMPARE(title, QStringLiteral("測試程式"));
        QCOMPARE(text, DBDateDispMessage);
        QCOMPARE(icon, QMessageBox::Warning);
    }

private:
    QTemporaryDir m_dir;
};

// Started again with --append-records, the program is a writer of the concurrent-writer
// test, before any application exists; so QTEST_MAIN cannot stand here.
int main(int argc, char *argv[])
{
    if (argc == 5 && qstrcmp(argv[1], "--append-records") == 0)
        return appendRecords(argv[2], argv[3], atoi(argv[4]));
    QApplication application(argc, argv);
    tst_ErrorReport test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_errorreport.moc"
