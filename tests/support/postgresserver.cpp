// The tests' own PostgreSQL cluster: made, started and stopped, and a free loopback port.
#include "support/postgresserver.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>

#include <pwd.h>
#include <unistd.h>

namespace {

// The newest installed server's programs.
QString postgresBinDir()
{
    QDir versions(QStringLiteral("/usr/lib/postgresql"));
    const QStringList found = versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    QString best;
    for (const QString &version : found) {
        if (best.isEmpty() || version.toInt() > best.toInt())
            best = version;
    }
    return best.isEmpty() ? QString() : versions.filePath(best + QStringLiteral("/bin"));
}

bool chownToPostgres(const QString &path)
{
    const passwd *user = getpwnam("postgres");
    return user && ::chown(QFile::encodeName(path).constData(), user->pw_uid, user->pw_gid) == 0;
}

} // namespace

quint16 freeLoopbackPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

PostgresServer::PostgresServer()
    : m_binDir(postgresBinDir())
{}

PostgresServer::~PostgresServer()
{
    stop();
}

bool PostgresServer::run(const QString &program, const QStringList &arguments, QString *error)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(m_dir.path());
    const QString path = QDir(m_binDir).filePath(program);
    if (::geteuid() == 0)
        process.start(QStringLiteral("runuser"),
                      QStringList{QStringLiteral("-u"),
                                  QStringLiteral("postgres"),
                                  QStringLiteral("--"),
                                  path}
                          + arguments);
    else
        process.start(path, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        *error = program + QStringLiteral(" failed: ") + QString::fromLocal8Bit(process.readAll())
                 + process.errorString();
        return false;
    }
    return true;
}

bool PostgresServer::start(QString *error)
{
    if (m_binDir.isEmpty()) {
        *error = QStringLiteral("no PostgreSQL server programs under /usr/lib/postgresql");
        return false;
    }
    if (!m_dir.isValid() || (::geteuid() == 0 && !chownToPostgres(m_dir.path()))) {
        *error = QStringLiteral("cannot prepare the cluster folder ") + m_dir.path();
        return false;
    }
    QFile passwordFile(m_dir.filePath(QStringLiteral("pwfile")));
    if (!passwordFile.open(QIODevice::WriteOnly)
        || passwordFile.write(Password.toUtf8() + '\n') < 0) {
        *error = QStringLiteral("cannot write the password file");
        return false;
    }
    passwordFile.close();
    if (::geteuid() == 0)
        chownToPostgres(passwordFile.fileName());

    const QString data = m_dir.filePath(QStringLiteral("data"));
    if (!run(QStringLiteral("initdb"),
             {QStringLiteral("-D"),
              data,
              QStringLiteral("-U"),
              User,
              QStringLiteral("--pwfile=") + passwordFile.fileName(),
              QStringLiteral("-A"),
              QStringLiteral("scram-sha-256"),
              QStringLiteral("-E"),
              QStringLiteral("UTF8"),
              QStringLiteral("--locale=C"),
              QStringLiteral("--no-sync")},
             error))
        return false;

    m_port = freeLoopbackPort();
    const QString options = QStringLiteral("-p %1 -k %2 -c listen_addresses=127.0.0.1 -c fsync=off")
                                .arg(m_port)
                                .arg(m_dir.path());
    if (!run(QStringLiteral("pg_ctl"),
             {QStringLiteral("-D"),
              data,
              QStringLiteral("-l"),
              m_dir.filePath(QStringLiteral("server.log")),
              QStringLiteral("-o"),
              options,
              QStringLiteral("-w"),
              QStringLiteral("-t"),
              QStringLiteral("60"),
              QStringLiteral("start")},
             error))
        return false;
    m_running = true;
    return true;
}

void PostgresServer::stop()
{
    if (!m_running)
        return;
    QString ignored;
    run(QStringLiteral("pg_ctl"),
        {QStringLiteral("-D"),
         m_dir.filePath(QStringLiteral("data")),
         QStringLiteral("-m"),
         QStringLiteral("immediate"),
         QStringLiteral("-w"),
         QStringLiteral("stop")},
        &ignored);
    m_running = false;
}

QString PostgresServer::connectionString(const QString &user, const QString &password) const
{
    return connectionString(Driver::Unicode, Database, user, password);
}

QString PostgresServer::connectionString(Driver driver,
                                         const QString &database,
                                         const QString &user,
                                         const QString &password) const
{
    QString text = QStringLiteral("Driver={%1};Server=127.0.0.1;Port=%2;Database=%3")
                       .arg(driver == Driver::Unicode ? QStringLiteral("PostgreSQL Unicode")
                                                      : QStringLiteral("PostgreSQL ANSI"))
                       .arg(m_port)
                       .arg(database);
    if (!user.isEmpty())
        text += QStringLiteral(";Uid=") + user;
    if (!password.isEmpty())
        text += QStringLiteral(";Pwd=") + password;
    return text;
}
