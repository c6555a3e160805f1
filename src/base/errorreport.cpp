// The error report and the error log of basBase.

#include "suiteframe/base/basBase.h"

#include "suiteframe/base/failure.h"
#include "suiteframe/platform/appinfo.h"
#include "suiteframe/platform/codepage.h"
#include "suiteframe/platform/desktop.h"
#include "suiteframe/platform/regional.h"
#include "suiteframe/platform/regularfile_p.h"
#include "suiteframe/platform/runtimeerror.h"

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

void writeLogRecord(const QString &message)
{
    if (LogFilePath.isEmpty())
        return;
    failure::skip([&] {
        // Every failure leaves the log as it was, silently.
        platform::regularfile::append(LogFilePath,
                                      platform::codepage::fromUnicode(
                                          logRecord(QDateTime::currentDateTime(), message)));
    });
}

} // namespace

QString errorMessage(const QString &procedureName, qint32 number, const QString &text)
{
    return QStringLiteral("處理程序: (") + procedureName + QLatin1Char(')') + CRLF
           + QStringLiteral("執行錯誤, 代碼: ") + signedNumberText(number) + CRLF
           + QStringLiteral("訊息: ") + CRLF + QStringLiteral("     ") + text + CRLF + CRLF;
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
    writeLogRecord(message);
    failure::skip(
        [&] { platform::desktop::showWarning(platform::AppInfo::current().title, message); });
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
