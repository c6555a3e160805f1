// A PostgreSQL server of a test program's own, and a free loopback port.

#pragma once

#include <QString>
#include <QTemporaryDir>

// A PostgreSQL server of a test program's own: a fresh cluster in a temporary folder,
// listening on a free loopback port, with one user who logs in by password. When the
// tests run as root the server runs as the "postgres" system user, as initdb demands.
class PostgresServer
{
public:
    static inline const QString User = QStringLiteral("suite");
    static inline const QString Password = QStringLiteral("Pw-7rue_Secret9");
    static inline const QString Database = QStringLiteral("postgres");

    PostgresServer();
    ~PostgresServer(); // stops the server

    // Creates and starts the cluster; on failure answers false with the reason.
    bool start(QString *error);
    void stop();
    quint16 port() const { return m_port; }

    // psqlODBC's two drivers: the Unicode one has wide-character calls, the ANSI one none.
    enum class Driver { Unicode, Ansi };

    // A connection string for psqlODBC's Unicode driver; an empty user or password
    // leaves that attribute out.
    QString connectionString(const QString &user = User, const QString &password = Password) const;
    // The same through the driver, to the database named.
    QString connectionString(Driver driver,
                             const QString &database,
                             const QString &user = User,
                             const QString &password = Password) const;

private:
    bool run(const QString &program, const QStringList &arguments, QString *error);

    QTemporaryDir m_dir;
    QString m_binDir;
    quint16 m_port = 0;
    bool m_running = false;
};

// A loopback port on which nothing listens at the moment of the call.
quint16 freeLoopbackPort();
