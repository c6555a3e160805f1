// The provider's records of a failure: thrown as one runtime error, and sorted by cause
// alike on both providers.

#include "suiteframe/adodb/errors.h"

#include "suiteframe/adodb/connectionstring_p.h"

#include <sqlite3.h>

#include <algorithm>
#include <initializer_list>

namespace adodb {

namespace {

template<typename Test>
bool anyRecord(const Errors &errors, Test test)
{
    return std::any_of(errors.begin(), errors.end(), test);
}

bool isEmbedded(const Error &error)
{
    return error.Source == EmbeddedSource;
}

// SQLite's primary result code, which its extended codes keep in their low byte.
int primaryCode(const Error &error)
{
    return error.NativeError & 0xff;
}

bool stateIsOneOf(const Error &error, std::initializer_list<const char16_t *> states)
{
    return std::any_of(states.begin(), states.end(), [&](const char16_t *state) {
        return error.SQLState == QStringView(state);
    });
}

} // namespace

bool isLockedOrBusy(const Errors &errors)
{
    return anyRecord(errors, [](const Error &e) {
        return isEmbedded(e) ? primaryCode(e) == SQLITE_BUSY || primaryCode(e) == SQLITE_LOCKED
                             : stateIsOneOf(e, {u"55P03"});
    });
}

bool isReadOnly(const Errors &errors)
{
    return anyRecord(errors, [](const Error &e) {
        return isEmbedded(e) ? primaryCode(e) == SQLITE_READONLY : stateIsOneOf(e, {u"25006"});
    });
}

bool isDuplicateKey(const Errors &errors)
{
    return anyRecord(errors, [](const Error &e) {
        return isEmbedded(e) ? e.NativeError == SQLITE_CONSTRAINT_UNIQUE
                                   || e.NativeError == SQLITE_CONSTRAINT_PRIMARYKEY
                             : stateIsOneOf(e, {u"23505"});
    });
}

bool isTimeout(const Errors &errors)
{
    return anyRecord(errors, [](const Error &e) {
        return stateIsOneOf(e, {u"HYT00", u"HYT01", u"57014"});
    });
}

bool isConnectionLost(const Errors &errors)
{
    return anyRecord(errors, [](const Error &e) {
        return isEmbedded(e) ? primaryCode(e) == SQLITE_IOERR
                             : e.SQLState.startsWith(u"08")
                                   || stateIsOneOf(e, {u"57P01", u"57P02", u"57P03"});
    });
}

bool isNoSuchTable(const Errors &errors)
{
    return anyRecord(errors, [](const Error &e) { return stateIsOneOf(e, {u"42S02", u"42P01"}); });
}

void throwProviderFailure(Errors records, Errors &errors, const QStringList &secrets)
{
    QStringList descriptions;
    for (Error &record : records) {
        record.Description = connectionstring::masked(record.Description, secrets);
        descriptions << QStringLiteral("SQLSTATE %1, native %2: %3")
                            .arg(record.SQLState)
                            .arg(record.NativeError)
                            .arg(record.Description);
    }
    errors = std::move(records);
    throw platform::RuntimeError(AdoError::ProviderFailure, descriptions.join(QStringLiteral("; ")));
}

} // namespace adodb
