// The error numbers and errors of the connection and its recordsets, and the provider's
// own records of a failure with the questions that sort them.

#pragma once

#include "suiteframe/platform/runtimeerror.h"

#include <QStringList>

#include <vector>

// The error numbers that the connection and its recordsets raise, beside the runtime's
// own (platform::ErrorNumber). Providers raise their failures as negative COM status
// codes; callers see them as such.
namespace adodb::AdoError {

// 0x80004005: the provider failed without a more specific code (connect, query, fetch).
constexpr qint32 ProviderFailure = platform::ErrorNumber::ProviderFailure;
// 0x800A0BB9: an argument of the wrong kind or out of its range.
constexpr qint32 InvalidArgument = -2146825287;
// 0x800A0CC1: no field at that position.
constexpr qint32 ItemNotFound = -2146825023;
// 0x800A0E78: the operation needs an open object.
constexpr qint32 ObjectClosed = -2146824584;
// 0x800A0E79: the operation is not allowed while the object is open.
constexpr qint32 ObjectOpen = -2146824583;
// 0x800A0CB3: the provider does not offer the operation (a transaction within one).
constexpr qint32 NotSupported = -2146825037;
// 0x8004D00E: a commit or rollback without a transaction begun.
constexpr qint32 NoTransaction = -2147168242;
// At the end of the records there is no current record.
constexpr qint32 NoCurrentRecord = platform::ErrorNumber::NoCurrentRecord;

} // namespace adodb::AdoError

namespace adodb {

inline platform::RuntimeError objectClosedError()
{
    return platform::RuntimeError(AdoError::ObjectClosed,
                                  QStringLiteral("物件已關閉，不允許此操作"));
}

inline platform::RuntimeError objectOpenError()
{
    return platform::RuntimeError(AdoError::ObjectOpen, QStringLiteral("物件開啟時，不允許此操作"));
}

inline platform::RuntimeError invalidArgumentError()
{
    return platform::RuntimeError(AdoError::InvalidArgument,
                                  QStringLiteral("引數的類型錯誤、超出可接受的範圍，或彼此衝突"));
}

// One record of a provider's failure, as the connection's Errors collection holds it.
struct Error
{
    qint32 Number = AdoError::ProviderFailure;
    QString Description;
    // The provider that raised it: EmbeddedSource, or OdbcSource.
    QString Source;
    // Five characters: the driver's SQLSTATE over ODBC. The embedded database gives
    // "HY000" but for a time-out ("HYT00") and a missing table ("42S02").
    QString SQLState;
    // SQLite's extended result code, or the driver's native code over ODBC.
    qint32 NativeError = 0;
};
using Errors = std::vector<Error>;

inline const QString EmbeddedSource = QStringLiteral("SQLite");
inline const QString OdbcSource = QStringLiteral("ODBC");

// What a failure's records say of its cause, the same on either provider. Each answers
// true when one of the records says so.
// Another program holds the data locked (SQLite busy or locked, PostgreSQL 55P03).
bool isLockedOrBusy(const Errors &errors);
// The database or the session may only be read.
bool isReadOnly(const Errors &errors);
// A row with the same unique key is there already.
bool isDuplicateKey(const Errors &errors);
// The command's time-out ended it (HYT00, HYT01, PostgreSQL 57014).
bool isTimeout(const Errors &errors);
// The database can no longer be reached: the server's connection is gone (class 08,
// PostgreSQL's 57P0x), or the embedded database's file cannot be read or written.
bool isConnectionLost(const Errors &errors);
// The statement names a table that is not there.
bool isNoSuchTable(const Errors &errors);

// Throws the failure the records describe: a RuntimeError with ProviderFailure and one
// "SQLSTATE xxxxx, native n: message" per record, joined by "; ", each of the secrets
// masked. The records, masked alike, are kept in errors first.
[[noreturn]] void throwProviderFailure(Errors records, Errors &errors, const QStringList &secrets);

} // namespace adodb
