// The error report and the error log of basBase.

#include "suiteframe/base/basBase.h"

#include "suiteframe/base/failure.h"
#include "suiteframe/base/startupsettings_p.h"
#include "suiteframe/platform/appinfo.h"
#include "suiteframe/platform/codepage.h"
#include "suiteframe/platform/desktop.h"
#include "suiteframe/platform/regional.h"
#include "suiteframe/platform/regularfile_p.h"
#include "suiteframe/platform/runtimeerror.h"

#include <QRegularExpression>

#include <cstdio>
#include <optional>

namespace basBase {

namespace {

const QString CRLF = QStringLiteral("\r\n");

// The number with its sign position: a blank for zero and positive numbers.
QString signedNumberText(qint32 number)
{
    return number < 0 ? QString::number(number) : QLatin1Char(' ') + QString::number(number);
}

QString procedureText(const platform::Value &procedureName)
{
    QString text;
    failure::skip([&] { text = procedureName.toText(); });
    return text;
}

// What became of a record appended to a log: whether it landed, and why the log
// refused it (a link or another file planted in a shared folder, a lock held past the
// bound), where it did.
struct Appended
{
    bool landed = false;
    std::optional<failure::Failure> refusal;
};

Appended appendRecord(const QString &path, const QByteArray &record)
{
    Appended appended;
    appended.refusal = failure::capture(
        [&] { appended.landed = platform::regularfile::append(path, record); });
    return appended;
}

void writeToStandardError(const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stderr);
}

// Appends the record to the log. Every ordinary failure leaves the log as it was,
// silently. Where the log refused the record, it goes to the user's own default log
// instead, or to standard error where the default log is the one that refused, and the
// answer says why and where it went.
QString writeLogRecord(const QString &message)
{
    if (LogFilePath.isEmpty())
        return QString();
    const QString record = logRecord(QDateTime::currentDateTime(), message);
    const QByteArray bytes = platform::codepage::fromUnicode(record);
    const std::optional<failure::Failure> refused = appendRecord(LogFilePath, bytes).refusal;
    if (!refused)
        return QString();
    const QString fallback = startup::defaultLogFilePath();
    const bool kept = fallback != LogFilePath && appendRecord(fallback, bytes).landed;
    const QString where = kept ? fallback : QStringLiteral("標準錯誤輸出");
    const QString notice = refused->description
                           + QStringLiteral("。這筆記錄改記在 %1。").arg(where);
    writeToStandardError(notice + u'\n' + (kept ? QString() : record));
    return notice;
}

} // namespace

QString errorMessage(const QString &procedureName, qint32 number, const QString &text)
{
    // A text of several lines (a server's diagnostics) keeps each line in the message's
    // indent, so that none of them can start a record of its own in the log.
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    const QString indented = QString(text).replace(lineBreak, CRLF + QStringLiteral("     "));
    return QStringLiteral("處理程序: (") + procedureName + QLatin1Char(')') + CRLF
           + QStringLiteral("執行錯誤, 代碼: ") + signedNumberText(number) + CRLF
           + QStringLiteral("訊息: ") + CRLF + QStringLiteral("     ") + indented + CRLF + CRLF;
}

QString logRecord(const QDateTime &when, const QString &message)
{
    return QStringLiteral("**記錄時間 - ")
           + platform::regional::formatDate(when, QStringLiteral("YY/MM/DD, HH:MM:SS ")) + CRLF
           + message;
}

void ReportError(const platform::Value &procedureName)
{
    platform::desktop::beep();
    const platform::CurrentError &error = platform::Err();
    const QString message = errorMessage(procedureText(procedureName),
                                         error.Number,
                                         error.Description);
    const QString logNotice = writeLogRecord(message);
    const QString shown = logNotice.isEmpty() ? message : message + logNotice + CRLF;
    failure::skip(
        [&] { platform::desktop::showWarning(platform::AppInfo::current().title, shown); });
    failure::skip(
        [] { platform::desktop::setMousePointer(platform::desktop::MousePointer::Default); });
}

void LogError(const platform::Value &procedureName)
{
    const platform::CurrentError &error = platform::Err();
    writeLogRecord(errorMessage(procedureText(procedureName),
                                error.Number,
                                platform::standardErrorText(error.Number)));
}

void LogReport(const platform::Value &procedureName)
{
    const platform::CurrentError &error = platform::Err();
    writeLogRecord(errorMessage(procedureText(procedureName), error.Number, error.Description));
}

} // namespace basBase
