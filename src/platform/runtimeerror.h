// The runtime's error numbers, run-time failures and the current error.

#pragma once

#include <QString>

#include <exception>

namespace platform {

// Error numbers of the runtime that the system's routines raise and report.
namespace ErrorNumber {
constexpr qint32 InvalidProcedureCall = 5;
constexpr qint32 Overflow = 6;
constexpr qint32 OutOfMemory = 7;
constexpr qint32 SubscriptOutOfRange = 9;
constexpr qint32 DivisionByZero = 11;
constexpr qint32 TypeMismatch = 13;
constexpr qint32 BadFileNameOrNumber = 52;
constexpr qint32 FileNotFound = 53;
constexpr qint32 FileAlreadyOpen = 55;
constexpr qint32 DeviceIOError = 57;
constexpr qint32 DiskFull = 61;
constexpr qint32 PermissionDenied = 70;
constexpr qint32 PathFileAccessError = 75;
constexpr qint32 PathNotFound = 76;
constexpr qint32 ObjectVariableNotSet = 91;
constexpr qint32 InvalidUseOfNull = 94;
constexpr qint32 InvalidPropertyValue = 380;
constexpr qint32 InvalidPropertyArrayIndex = 381;
constexpr qint32 FormAlreadyDisplayed = 400;
constexpr qint32 ObjectRequired = 424;
constexpr qint32 NotSupported = 438;
constexpr qint32 NoCurrentRecord = 3021;
// Unspecified failure, as database providers raise it.
constexpr qint32 ProviderFailure = -2147467259;
} // namespace ErrorNumber

// The standard message text of an error number, in Traditional Chinese. Numbers
// without a text of their own, negative provider numbers among them, answer the
// application-defined text.
QString standardErrorText(qint32 number);

// A run-time failure: an error number and its description. Deep code throws it; the
// failure handlers of base/failure.h catch it at a routine's edge.
class RuntimeError : public std::exception
{
public:
    // Without a description the error carries the standard text of its number.
    explicit RuntimeError(qint32 number, const QString &description = QString());

    qint32 number() const noexcept { return m_number; }
    const QString &description() const noexcept { return m_description; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    qint32 m_number;
    QString m_description;
    QByteArray m_what;
};

// The process-wide current error: what the handler that caught the last failure is
// handling. Reports read it; leaving the handler clears it.
struct CurrentError
{
    qint32 Number = 0;
    QString Description;

    void set(const RuntimeError &error);
    void clear();
};

CurrentError &Err();

} // namespace platform
