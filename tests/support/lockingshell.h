// A database held locked by another program: the sqlite3 shell in an exclusive
// transaction.

#pragma once

#include <QProcess>
#include <QString>

// The sqlite3 shell holding an exclusive transaction on the database until told to end
// it, or ending it by itself after a pause.
class LockingShell
{
public:
    bool lock(const QString &database, int releaseAfterMs)
    {
        m_shell.start(QStringLiteral("sqlite3"), {database});
        QByteArray script = QByteArray("BEGIN EXCLUSIVE;\n.print locked\n");
        if (releaseAfterMs >= 0)
            script += ".shell sleep " + QByteArray::number(releaseAfterMs / 1000.0) + "\nCOMMIT;\n";
        m_shell.write(script);
        while (!m_shell.readAllStandardOutput().contains("locked"))
            if (!m_shell.waitForReadyRead(10000))
                return false;
        return true;
    }

    void release()
    {
        m_shell.write("COMMIT;\n.quit\n");
        m_shell.closeWriteChannel();
        m_shell.waitForFinished(10000);
    }

    ~LockingShell()
    {
        if (m_shell.state() != QProcess::NotRunning)
            release();
    }

private:
    QProcess m_shell;
};

// What the sqlite3 shell prints for the statement on the database, without the last
// line end.
inline QByteArray shellQuery(const QString &database, const QString &sql)
{
    QProcess shell;
    shell.start(QStringLiteral("sqlite3"), {database, sql});
    shell.waitForFinished(10000);
    return shell.readAllStandardOutput().trimmed();
}
