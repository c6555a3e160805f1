// The message command suiteframe-msg: its arguments read, the message, lines and
// records gathered, frmSure shown, and the answer turned into the exit status.

#include "msgcommand.h"

#include "suiteframe/adodb/connection.h"
#include "suiteframe/adodb/queryrecordset.h"
#include "suiteframe/base/basBase.h"
#include "suiteframe/base/failure.h"
#include "suiteframe/database/basADODB.h"
#include "suiteframe/dialogs/frmSure.h"
#include "suiteframe/frame/application.h"
#include "suiteframe/platform/codepage.h"
#include "suiteframe/platform/privateprofile.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <memory>
#include <optional>

namespace frame::msgcommand {

namespace {

using platform::Value;

const QString Name = QStringLiteral("suiteframe-msg");

const char HelpText[] = R"(Usage: suiteframe-msg [OPTION]... [MESSAGE]
Show the suite's message dialog once and exit with the user's answer.

Below MESSAGE the dialog lists message lines read from a file, or the records of a
query as a card: field names down the left, one column per record. The first button
confirms; the second button, the close box and Escape decline.

  -m, --message=TEXT     the message, instead of the MESSAGE argument
  -t, --title=TEXT       the window title (default 訊息視窗)
  -b, --buttons=MODE     Y: two buttons (the default); N: the first button alone
      --ok=TEXT          the first button's caption (default 確定)
      --cancel=TEXT      the second button's caption (default 取消)
  -s, --short            the short window, when nothing is listed
  -l, --lines=FILE       message lines from FILE, or standard input for -: one line
                         a row, tabs between its cells, in the code page; a regular
                         file, at most 16 MB
  -q, --query=SQL        list the records of the SQL statement as a card
  -c, --connection=TEXT  the database's connection string, in ODBC syntax
  -i, --ini=FILE         read the connection string from the INI file FILE,
      --section=NAME       from its section NAME (default Database)
      --key=NAME           and key NAME (default ConnectionString)
  -h, --help             show this help and exit
      --version          show the version and exit

Exit status:
  0  the first button was pressed
  1  the second button, the close box or Escape
  2  bad usage, an unreadable file, a failed connection or query, records that
     could not all be read (whatever was pressed), no display, or a display lost
     while the dialog waited; one line on standard error says which (never with a
     password)

The database is opened read-only; a missing database file is never created.

Environment:
  SUITEFRAME_CODEPAGE  the code page of the lines file, for example CP950 for Big5
  DISPLAY, WAYLAND_DISPLAY, QT_QPA_PLATFORM  where the dialog is shown: X11 when
                       DISPLAY is set, native Wayland when only WAYLAND_DISPLAY is

Examples:
  suiteframe-msg -t 月結 '確定要執行月結嗎？' && ./month-end
  suiteframe-msg -b N -t 夜間批次 -l summary.txt '今晚的批次已完成。'
  suiteframe-msg -i ~/.config/suiteframe/staff.ini -t 人員名冊 \
      -q 'SELECT id AS 編號, name AS 姓名 FROM staff' '目前的人員如下。'
)";

// What the command was asked to show.
struct Request
{
    QString message;
    std::optional<QString> title;
    QString buttons = QStringLiteral("Y");
    std::optional<QString> okCaption;
    std::optional<QString> cancelCaption;
    bool shortSize = false;
    QString linesFile;
    QString query;
    QString connection;
    QString iniFile;
    QString section = QStringLiteral("Database");
    QString key = QStringLiteral("ConnectionString");
};

// A request to show, or the status to end with at once.
struct Parsed
{
    std::optional<Request> request;
    int status = Trouble;
};

void writeText(QIODevice &device, const QString &text)
{
    device.write(text.toLocal8Bit());
}

// One line on error, also where a driver's diagnostics run over several.
int trouble(QIODevice &error, const QString &text)
{
    static const QRegularExpression lineBreaks(QStringLiteral("\\s*[\r\n]+\\s*"));
    writeText(error,
              Name + QStringLiteral(": ") + QString(text).replace(lineBreaks, QStringLiteral(" "))
                  + u'\n');
    return Trouble;
}

Parsed badUsage(QIODevice &error, const QString &line)
{
    trouble(error, line);
    writeText(error, QStringLiteral("Try '%1 --help' for more information.\n").arg(Name));
    return {};
}

std::optional<QString> optionalValue(const QCommandLineParser &parser, const QString &name)
{
    if (!parser.isSet(name))
        return std::nullopt;
    return parser.value(name);
}

// The usage rules beyond what the parser knows; the empty text where all hold.
QString usageProblem(const QCommandLineParser &parser, const Request &request)
{
    if (parser.positionalArguments().size() > 1)
        return QStringLiteral("one MESSAGE only: quote a message that has blanks");
    if (parser.isSet(QStringLiteral("message")) && !parser.positionalArguments().isEmpty())
        return QStringLiteral("the message is given twice, by --message and as an argument");
    if (request.buttons != u"Y" && request.buttons != u"N")
        return QStringLiteral("--buttons takes Y or N, not '%1'")
            .arg(parser.value(QStringLiteral("buttons")));
    const bool hasDatabase = parser.isSet(QStringLiteral("connection"))
                             || parser.isSet(QStringLiteral("ini"));
    if (parser.isSet(QStringLiteral("connection")) && parser.isSet(QStringLiteral("ini")))
        return QStringLiteral("give the connection string by --connection or by --ini, not both");
    if (parser.isSet(QStringLiteral("query")) && !hasDatabase)
        return QStringLiteral("--query needs a database: --connection or --ini");
    if (hasDatabase && !parser.isSet(QStringLiteral("query")))
        return QStringLiteral("--connection and --ini go with --query");
    if ((parser.isSet(QStringLiteral("section")) || parser.isSet(QStringLiteral("key")))
        && !parser.isSet(QStringLiteral("ini")))
        return QStringLiteral("--section and --key go with --ini");
    for (const QString &name : {QStringLiteral("lines"),
                                QStringLiteral("query"),
                                QStringLiteral("connection"),
                                QStringLiteral("ini")}) {
        if (parser.isSet(name) && parser.value(name).isEmpty())
            return QStringLiteral("--%1 takes a value, not an empty text").arg(name);
    }
    if (parser.isSet(QStringLiteral("lines")) && parser.isSet(QStringLiteral("query")))
        return QStringLiteral(
            "--lines and --query cannot be combined: the dialog lists one or the other");
    return QString();
}

Parsed parse(const QStringList &arguments, QIODevice &output, QIODevice &error)
{
    QCommandLineParser parser;
    const auto valued = [](const QStringList &names, const QString &valueName) {
        return QCommandLineOption(names, QString(), valueName);
    };
    parser.addOptions({
        valued({QStringLiteral("m"), QStringLiteral("message")}, QStringLiteral("text")),
        valued({QStringLiteral("t"), QStringLiteral("title")}, QStringLiteral("text")),
        valued({QStringLiteral("b"), QStringLiteral("buttons")}, QStringLiteral("mode")),
        valued({QStringLiteral("ok")}, QStringLiteral("text")),
        valued({QStringLiteral("cancel")}, QStringLiteral("text")),
        QCommandLineOption(QStringList{QStringLiteral("s"), QStringLiteral("short")}),
        valued({QStringLiteral("l"), QStringLiteral("lines")}, QStringLiteral("file")),
        valued({QStringLiteral("q"), QStringLiteral("query")}, QStringLiteral("sql")),
        valued({QStringLiteral("c"), QStringLiteral("connection")}, QStringLiteral("text")),
        valued({QStringLiteral("i"), QStringLiteral("ini")}, QStringLiteral("file")),
        valued({QStringLiteral("section")}, QStringLiteral("name")),
        valued({QStringLiteral("key")}, QStringLiteral("name")),
        QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")}),
        QCommandLineOption(QStringLiteral("version")),
    });
    if (!parser.parse(arguments))
        return badUsage(error, parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        writeText(output, QString::fromUtf8(HelpText));
        return {std::nullopt, Confirmed};
    }
    if (parser.isSet(QStringLiteral("version"))) {
        writeText(output,
                  QStringLiteral("%1 %2.%3.%4\n")
                      .arg(Name)
                      .arg(SUITEFRAME_VERSION_MAJOR)
                      .arg(SUITEFRAME_VERSION_MINOR)
                      .arg(SUITEFRAME_VERSION_PATCH));
        return {std::nullopt, Confirmed};
    }

    Request request;
    request.message = parser.isSet(QStringLiteral("message"))
                          ? parser.value(QStringLiteral("message"))
                          : parser.positionalArguments().value(0);
    request.title = optionalValue(parser, QStringLiteral("title"));
    if (parser.isSet(QStringLiteral("buttons")))
        request.buttons = parser.value(QStringLiteral("buttons")).toUpper();
    request.okCaption = optionalValue(parser, QStringLiteral("ok"));
    request.cancelCaption = optionalValue(parser, QStringLiteral("cancel"));
    request.shortSize = parser.isSet(QStringLiteral("short"));
    request.linesFile = parser.value(QStringLiteral("lines"));
    request.query = parser.value(QStringLiteral("query"));
    request.connection = parser.value(QStringLiteral("connection"));
    request.iniFile = parser.value(QStringLiteral("ini"));
    if (parser.isSet(QStringLiteral("section")))
        request.section = parser.value(QStringLiteral("section"));
    if (parser.isSet(QStringLiteral("key")))
        request.key = parser.value(QStringLiteral("key"));

    if (const QString problem = usageProblem(parser, request); !problem.isEmpty())
        return badUsage(error, problem);
    return {request, Confirmed};
}

// The most message lines a file may hold: far more than anyone reads in a dialog, and a
// bound, so that /dev/zero or an endless pipe ends with its cause, not all memory taken.
constexpr qint64 LargestLinesFile = 16 * 1024 * 1024;

// The bytes of the named file, or of input for "-"; the empty optional, with the
// reason in problem, where they cannot be read. Only a regular file is opened: a FIFO
// without a writer would hold the command before any window shows.
std::optional<QByteArray> readBytes(const QString &path, QIODevice &input, QString &problem)
{
    QFile file(path);
    if (path != u"-") {
        const QFileInfo info(path);
        if (info.isDir())
            problem = QStringLiteral("cannot read %1: it is a folder").arg(path);
        else if (info.exists() && !info.isFile())
            problem = QStringLiteral("cannot read %1: it is no regular file (a FIFO or a device)")
                          .arg(path);
        else if (!file.open(QIODevice::ReadOnly))
            problem = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        if (!problem.isEmpty())
            return std::nullopt;
    }
    QIODevice &source = path == u"-" ? input : file;
    QByteArray bytes = source.read(LargestLinesFile + 1);
    if (bytes.size() > LargestLinesFile) {
        problem = QStringLiteral("cannot read %1: it holds more than %2 MB of lines")
                      .arg(path)
                      .arg(LargestLinesFile / (1024 * 1024));
        return std::nullopt;
    }
    return bytes;
}

// One message line a line of the text; CR LF line ends as LF, and no line after the
// last line end.
QStringList messageLines(const QString &text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return lines;
}

// The lines as rows of one width. The dialog's list takes its column count from the
// line just added, so a shorter or empty line would cut the cells of every row before
// it, and it stays hidden with one column. So each line is filled out with empty cells
// to the widest line's count, two at least.
QStringList evenRows(const QStringList &lines)
{
    qsizetype widest = 2;
    for (const QString &line : lines)
        widest = std::max(widest, line.count(u'\t') + 1);
    QStringList rows;
    for (const QString &line : lines)
        rows << line + QString(widest - 1 - line.count(u'\t'), u'\t');
    return rows;
}

// The connection string as the request gives it, directly or from its INI file; the
// empty text, with the reason in problem, where there is none.
QString connectionString(const Request &request, QString &problem)
{
    if (request.iniFile.isEmpty())
        return request.connection;
    if (!QFileInfo(request.iniFile).isFile()) {
        problem = QStringLiteral("cannot read %1: no such file").arg(request.iniFile);
        return QString();
    }
    const QString found = platform::privateprofile::wholeProfileString(request.section,
                                                                       request.key,
                                                                       request.iniFile);
    if (found.isEmpty())
        problem = QStringLiteral("no connection string in %1 under [%2] %3")
                      .arg(request.iniFile, request.section, request.key);
    return found;
}

std::optional<Value> optionalText(const std::optional<QString> &text)
{
    if (!text)
        return std::nullopt;
    return Value(*text);
}

int show(const Request &request, QIODevice &input, QIODevice &error)
{
    dialogs::FrmSure &dialog = dialogs::frmSure();
    dialog.ClearMsgFrom();
    QString problem;
    if (!request.linesFile.isEmpty()) {
        const std::optional<QByteArray> bytes = readBytes(request.linesFile, input, problem);
        if (!bytes)
            return trouble(error, problem);
        for (const QString &row : evenRows(messageLines(platform::codepage::toUnicode(*bytes))))
            dialog.AddLine(Value(row));
    }

    adodb::Connection connection;
    std::unique_ptr<adodb::QueryRecordset> records;
    if (!request.query.isEmpty()) {
        const QString database = connectionString(request, problem);
        if (database.isEmpty())
            return trouble(error, problem);
        // The connection's descriptions never hold the connection string or a password.
        const auto notConnected = failure::capture(
            [&] { basADODB::openConnection(connection, adodb::withReadOnlyAccess(database)); });
        if (notConnected)
            return trouble(error,
                           QStringLiteral("cannot connect to the database: ")
                               + notConnected->description);
        if (const auto failed = failure::capture(
                [&] { records = connection.Execute(request.query); }))
            return trouble(error, QStringLiteral("the query failed: ") + failed->description);
    }

    const bool confirmed = dialog.SHOWMSG(Value(request.message),
                                          optionalText(request.title),
                                          Value(request.buttons),
                                          records.get(),
                                          optionalText(request.okCaption),
                                          optionalText(request.cancelCaption),
                                          request.shortSize ? std::optional<Value>(Value(true))
                                                            : std::nullopt);
    // An answer given on part of the records is no answer on the query's result.
    if (dialog.listCutShort())
        return trouble(error,
                       QStringLiteral("reading the records failed after %1 of them; the card "
                                      "was not whole, so the answer does not count (the cause "
                                      "is in the error log %2)")
                           .arg(dialog.listedRecords())
                           .arg(basBase::LogFilePath));
    return confirmed ? Confirmed : Declined;
}

} // namespace

int run(const QStringList &arguments, QIODevice &input, QIODevice &output, QIODevice &error)
{
    const Parsed parsed = parse(arguments, output, error);
    if (!parsed.request)
        return parsed.status;
    return show(*parsed.request, input, error);
}

static_assert(NoDisplay == Trouble, "no display is trouble, never an answer");

int main(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QFile input, output, error;
    input.open(stdin, QIODevice::ReadOnly);
    output.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered);
    error.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);

    const Parsed parsed = parse(arguments, output, error);
    if (!parsed.request)
        return parsed.status;
    // The arguments are the command's alone: Qt would take a message or a title such as
    // "-platform" or "-style" for its own options.
    int qtArgc = 1;
    char *qtArgv[] = {argv[0], nullptr};
    const std::unique_ptr<QApplication> application = openDisplay(qtArgc, qtArgv);
    setProgram(frameProgram(Name));
    startUp();
    return show(*parsed.request, input, error);
}

} // namespace frame::msgcommand
