// FileExists over plain, hidden and read-only files, Chinese names, links, folders the
// user may not list, and values that are no path.
#include "suiteframe/base/basBase.h"
#include "support/ordinaryuser.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using platform::Value;

class tst_FileCheck : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QDir(m_dir.path()).mkpath(QStringLiteral("資料 夾"));
        QDir(m_dir.path()).mkpath(QStringLiteral("closed"));
        for (const char *name :
             {"plain.txt", ".hidden", "readonly.txt", "資料 夾/檔案.exe", "closed/inside.txt"}) {
            QFile file(m_dir.filePath(QString::fromUtf8(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QFile::setPermissions(m_dir.filePath(QStringLiteral("readonly.txt")), QFile::ReadOwner);
        QFile::link(m_dir.filePath(QStringLiteral("資料 夾")),
                    m_dir.filePath(QStringLiteral("folder-link")));
        QFile::link(m_dir.filePath(QStringLiteral("gone")),
                    m_dir.filePath(QStringLiteral("dangling-link")));
    }

    void answers_data()
    {
        QTest::addColumn<QString>("relativePath");
        QTest::addColumn<bool>("expected");
        QTest::newRow("plain file") << "plain.txt" << true;
        QTest::newRow("hidden file") << ".hidden" << true;
        QTest::newRow("read-only file") << "readonly.txt" << true;
        QTest::newRow("blank and Chinese in the path") << "資料 夾/檔案.exe" << true;
        QTest::newRow("folder") << "資料 夾" << false;
        QTest::newRow("folder with a trailing slash") << "資料 夾/" << false;
        QTest::newRow("link to a folder") << "folder-link" << false;
        QTest::newRow("dangling link") << "dangling-link" << false;
        QTest::newRow("missing file") << "missing.txt" << false;
        QTest::newRow("file taken for a folder") << "plain.txt/x" << false;
    }

    void answers()
    {
        QFETCH(QString, relativePath);
        QFETCH(bool, expected);
        QCOMPARE(basBase::FileExists(Value(m_dir.filePath(relativePath))), expected);
    }

    void valuesThatAreNoPath()
    {
        QCOMPARE(basBase::FileExists(Value(QString())), false);
        QCOMPARE(basBase::FileExists(Value()), false);
        QCOMPARE(basBase::FileExists(Value::null()), false);
        QCOMPARE(basBase::FileExists(Value(QString::fromLatin1("plain.txt\0x", 11))), false);
    }

    // As root every folder can be listed; the check runs as an ordinary user.
    void fileInAFolderTheUserMayNotList()
    {
        const QString closed = m_dir.filePath(QStringLiteral("closed"));
        QFile::setPermissions(closed, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(m_dir.path(), QFile::permissions(m_dir.path()) | QFile::ExeOther);
        const QString inside = closed + QStringLiteral("/inside.txt");

        QCOMPARE(exitCodeAsOrdinaryUser([&] { return basBase::FileExists(Value(inside)) ? 1 : 0; }),
                 0);
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(tst_FileCheck)

#include "tst_filecheck.moc"
