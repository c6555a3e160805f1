// The error numbers and errors of the connection and its recordsets.

#pragma once

#include "suiteframe/platform/runtimeerror.h"

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

} // namespace adodb
