// The layer over the ODBC driver manager: diagnostics, wide texts, and the environment,
// connection and statement handles.

#include "suiteframe/adodb/odbc_p.h"

#include "suiteframe/adodb/driverlibrary_p.h"
#include "suiteframe/adodb/textvalues_p.h"

#include <QStringDecoder>

#include <algorithm>
#include <limits>
#include <utility>

namespace adodb::odbc {

namespace {

// The driver manager takes a narrow driver's messages to UTF-16 as it records them; where
// that conversion fails (it is UCS-2) it widens each UTF-8 byte to a unit of its own,
// which this undoes.
QString withoutByteWidening(const QString &text)
{
    const bool widened = std::all_of(text.begin(), text.end(), [](QChar c) {
        return c.unicode() < 0x100;
    });
    if (!widened)
        return text;
    const QByteArray bytes = text.toLatin1();
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8(bytes);
    return utf8.hasError() ? text : decoded;
}

} // namespace

Errors diagnostics(SQLSMALLINT handleType, SQLHANDLE handle, TextCalls calls)
{
    Errors records;
    for (SQLSMALLINT record = 1;; ++record) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        std::vector<SQLWCHAR> message(1024);
        const auto readRecord = [&] {
            return SQLGetDiagRecW(handleType,
                                  handle,
                                  record,
                                  state,
                                  &native,
                                  message.data(),
                                  SQLSMALLINT(message.size()),
                                  &length);
        };
        SQLRETURN rc = readRecord();
        if (rc == SQL_SUCCESS_WITH_INFO && length >= SQLSMALLINT(message.size())) {
            message.resize(length + 1);
            rc = readRecord();
        }
        if (!SQL_SUCCEEDED(rc))
            break;
        QString text = fromWide(message.data(),
                                std::min<SQLSMALLINT>(length, SQLSMALLINT(message.size() - 1)))
                           .trimmed();
        if (calls == TextCalls::NarrowUtf8)
            text = withoutByteWidening(text);
        records.push_back({AdoError::ProviderFailure, text, OdbcSource, fromWide(state, 5), native});
    }
    if (records.empty())
        records.push_back({AdoError::ProviderFailure,
                           QStringLiteral("the driver gave no diagnostics"),
                           OdbcSource,
                           QStringLiteral("HY000"),
                           0});
    return records;
}

void check(SQLRETURN rc,
           SQLSMALLINT handleType,
           SQLHANDLE handle,
           Errors &errors,
           const QStringList &secrets,
           TextCalls calls)
{
    if (SQL_SUCCEEDED(rc))
        return;
    if (rc == SQL_INVALID_HANDLE)
        throw platform::RuntimeError(AdoError::ProviderFailure,
                                     QStringLiteral("invalid ODBC handle"));
    throwProviderFailure(diagnostics(handleType, handle, calls), errors, secrets);
}

std::vector<SQLWCHAR> toWide(const QString &text)
{
    std::vector<SQLWCHAR> wide(text.size() + 1, 0);
    std::copy_n(text.utf16(), text.size(), wide.begin());
    return wide;
}

QString fromWide(const SQLWCHAR *text, qsizetype length)
{
    static_assert(sizeof(SQLWCHAR) == sizeof(char16_t),
                  "the driver manager's wide characters are UTF-16");
    return QString::fromUtf16(reinterpret_cast<const char16_t *>(text), length);
}

// --- Utf8CharacterSet -----------------------------------------------------------------

Utf8CharacterSet::Utf8CharacterSet()
    : m_locale(newlocale(LC_CTYPE_MASK, "C.UTF-8", duplocale(LC_GLOBAL_LOCALE)))
    , m_previous(m_locale ? uselocale(m_locale) : nullptr)
{}

Utf8CharacterSet::~Utf8CharacterSet()
{
    if (m_locale) {
        uselocale(m_previous);
        freelocale(m_locale);
    }
}

// --- Handle -----------------------------------------------------------------------

Handle::Handle(SQLSMALLINT type, SQLHANDLE parent)
    : m_type(type)
{
    const SQLRETURN rc = SQLAllocHandle(type, parent, &m_handle);
    if (!SQL_SUCCEEDED(rc)) {
        m_handle = SQL_NULL_HANDLE;
        if (parent == SQL_NULL_HANDLE)
            throw platform::RuntimeError(AdoError::ProviderFailure,
                                         QStringLiteral("cannot allocate an ODBC environment"));
        const SQLSMALLINT parentType = type == SQL_HANDLE_STMT ? SQL_HANDLE_DBC : SQL_HANDLE_ENV;
        Errors errors;
        throwProviderFailure(diagnostics(parentType, parent), errors, {});
    }
}

Handle::~Handle()
{
    free();
}

void Handle::free()
{
    if (m_handle != SQL_NULL_HANDLE) {
        SQLFreeHandle(m_type, m_handle);
        m_handle = SQL_NULL_HANDLE;
    }
}

// --- Environment --------------------------------------------------------------------

std::shared_ptr<Environment> Environment::shared()
{
    static std::weak_ptr<Environment> current;
    std::shared_ptr<Environment> environment = current.lock();
    if (!environment) {
        environment = std::make_shared<Environment>();
        current = environment;
    }
    return environment;
}

Environment::Environment()
    : m_handle(SQL_HANDLE_ENV, SQL_NULL_HANDLE)
{
    Errors errors;
    check(SQLSetEnvAttr(get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
          SQL_HANDLE_ENV,
          get(),
          errors,
          {});
}

// --- Dbc ------------------------------------------------------------------------------

Dbc::Dbc(std::shared_ptr<Errors> errors)
    : m_environment(Environment::shared())
    , m_errors(std::move(errors))
    , m_handle(SQL_HANDLE_DBC, m_environment->get())
{}

Dbc::~Dbc()
{
    disconnect();
}

void Dbc::setAttribute(SQLINTEGER attribute, SQLULEN value)
{
    check(SQLSetConnectAttrW(get(), attribute, reinterpret_cast<SQLPOINTER>(value), SQL_IS_UINTEGER),
          SQL_HANDLE_DBC,
          get(),
          errors(),
          m_secrets);
}

void Dbc::connect(const QString &connectionString, const QStringList &secrets)
{
    m_secrets = secrets;
    const TextCalls calls = connectCalls(connectionString);
    check(driverConnect(connectionString, calls), SQL_HANDLE_DBC, get(), errors(), m_secrets, calls);
    m_connected = true;
    m_textCalls = probeTextCalls();
}

SQLRETURN Dbc::driverConnect(const QString &connectionString, TextCalls calls)
{
    if (calls == TextCalls::Wide) {
        std::vector<SQLWCHAR> in = toWide(connectionString);
        SQLWCHAR out[1024];
        SQLSMALLINT outLength = 0;
        return SQLDriverConnectW(get(),
                                 nullptr,
                                 in.data(),
                                 SQL_NTS,
                                 out,
                                 SQLSMALLINT(std::size(out)),
                                 &outLength,
                                 SQL_DRIVER_NOPROMPT);
    }
    QByteArray in = connectionString.toUtf8();
    SQLCHAR out[4096];
    SQLSMALLINT outLength = 0;
    return SQLDriverConnect(get(),
                            nullptr,
                            reinterpret_cast<SQLCHAR *>(in.data()),
                            SQL_NTS,
                            out,
                            SQLSMALLINT(std::size(out)),
                            &outLength,
                            SQL_DRIVER_NOPROMPT);
}

TextCalls Dbc::connectCalls(const QString &connectionString)
{
    // Plain ASCII reaches every driver intact through the wide call. The driver manager
    // cuts each UTF-16 unit of any other text to its low byte on the way to a driver
    // without wide calls, before it knows the connection's character set, so such a
    // driver is given the UTF-8 text through the narrow call instead.
    const bool ascii = std::all_of(connectionString.begin(), connectionString.end(), [](QChar c) {
        return c.unicode() < 0x80;
    });
    if (ascii)
        return TextCalls::Wide;
    switch (driverlibrary::connectCalls(connectionString)) {
    case driverlibrary::Calls::Wide:
        return TextCalls::Wide;
    case driverlibrary::Calls::Narrow:
        return TextCalls::NarrowUtf8;
    case driverlibrary::Calls::Unknown:
        break;
    }
    throw platform::RuntimeError(AdoError::ProviderFailure,
                                 QStringLiteral("the connection string holds characters other than "
                                                "ASCII, and its driver cannot be found "
                                                "to tell whether they would reach it intact"));
}

TextCalls Dbc::probeTextCalls() const
{
    // What the driver manager makes of a character outside the basic plane in a wide
    // call tells whether the driver has wide calls of its own; a driver that cannot
    // answer keeps the wide calls.
    const QString probe = QStringLiteral("'\U0002000B'");
    std::vector<SQLWCHAR> in = toWide(probe);
    SQLWCHAR out[16] = {};
    SQLINTEGER outLength = 0;
    const SQLRETURN rc
        = SQLNativeSqlW(get(), in.data(), SQL_NTS, out, SQLINTEGER(std::size(out)), &outLength);
    const SQLWCHAR *end = std::find(std::begin(out), std::end(out), SQLWCHAR(0));
    if (!SQL_SUCCEEDED(rc) || fromWide(out, end - out) == probe)
        return TextCalls::Wide;
    return TextCalls::NarrowUtf8;
}

void Dbc::beginTransaction()
{
    setAttribute(SQL_ATTR_AUTOCOMMIT, SQL_AUTOCOMMIT_OFF);
    m_inTransaction = true;
}

void Dbc::endTransaction(SQLSMALLINT completion)
{
    check(SQLEndTran(SQL_HANDLE_DBC, get(), completion), SQL_HANDLE_DBC, get(), errors(), m_secrets);
    m_inTransaction = false;
    setAttribute(SQL_ATTR_AUTOCOMMIT, SQL_AUTOCOMMIT_ON);
}

void Dbc::rollbackQuietly() noexcept
{
    if (!m_inTransaction || !m_connected)
        return;
    SQLEndTran(SQL_HANDLE_DBC, get(), SQL_ROLLBACK);
    SQLSetConnectAttrW(get(),
                       SQL_ATTR_AUTOCOMMIT,
                       reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON),
                       SQL_IS_UINTEGER);
    m_inTransaction = false;
}

void Dbc::disconnect()
{
    for (Statement *statement : std::vector<Statement *>(m_statements))
        statement->free();
    m_statements.clear();
    rollbackQuietly(); // the driver manager refuses to disconnect in a transaction
    if (m_connected) {
        SQLDisconnect(get());
        m_connected = false;
    }
}

void Dbc::attach(Statement *statement)
{
    m_statements.push_back(statement);
}

void Dbc::detach(Statement *statement)
{
    std::erase(m_statements, statement);
}

// --- Statement --------------------------------------------------------------------------

Statement::Statement(std::shared_ptr<Dbc> connection)
    : m_connection(std::move(connection))
    , m_handle(SQL_HANDLE_STMT, m_connection->get())
{
    m_connection->attach(this);
}

Statement::~Statement()
{
    free();
}

SQLHSTMT Statement::get() const
{
    if (m_handle.isNull())
        throw objectClosedError();
    return m_handle.get();
}

void Statement::check(SQLRETURN rc) const
{
    odbc::check(rc,
                SQL_HANDLE_STMT,
                get(),
                m_connection->errors(),
                m_connection->secrets(),
                textCalls());
}

void Statement::setAttribute(SQLINTEGER attribute, SQLULEN value)
{
    check(SQLSetStmtAttrW(get(), attribute, reinterpret_cast<SQLPOINTER>(value), SQL_IS_UINTEGER));
}

void Statement::setQueryTimeout(qint32 seconds)
{
    setAttribute(SQL_ATTR_QUERY_TIMEOUT, SQLULEN(seconds));
}

void Statement::execute(const QString &sql, const std::vector<platform::Value> &parameters)
{
    SQLRETURN rc;
    if (parameters.empty()) {
        rc = executeDirect(sql);
    } else {
        prepare(sql);
        SQLSMALLINT markers = 0;
        check(SQLNumParams(get(), &markers));
        if (markers != SQLSMALLINT(parameters.size()))
            throwProviderFailure({{AdoError::ProviderFailure,
                                   parameterCountMismatch(markers, qsizetype(parameters.size())),
                                   OdbcSource,
                                   QStringLiteral("07002"),
                                   0}},
                                 m_connection->errors(),
                                 {});
        for (std::size_t i = 0; i < parameters.size(); ++i)
            bind(SQLUSMALLINT(i + 1), parameters[i]);
        rc = SQLExecute(get());
    }
    // A statement that touches no rows answers SQL_NO_DATA; that is no failure.
    if (rc != SQL_NO_DATA)
        check(rc);
}

SQLRETURN Statement::executeDirect(const QString &sql)
{
    if (textCalls() == TextCalls::Wide) {
        std::vector<SQLWCHAR> text = toWide(sql);
        return SQLExecDirectW(get(), text.data(), SQL_NTS);
    }
    QByteArray text = sql.toUtf8();
    return SQLExecDirect(get(), reinterpret_cast<SQLCHAR *>(text.data()), SQLINTEGER(text.size()));
}

void Statement::prepare(const QString &sql)
{
    if (textCalls() == TextCalls::Wide) {
        std::vector<SQLWCHAR> text = toWide(sql);
        check(SQLPrepareW(get(), text.data(), SQL_NTS));
    } else {
        QByteArray text = sql.toUtf8();
        check(SQLPrepare(get(), reinterpret_cast<SQLCHAR *>(text.data()), SQLINTEGER(text.size())));
    }
}

// Numbers go as numbers; texts, exact decimals and dates go as text, declared as the
// kind of column they fill, so that the server takes them as such.
void Statement::bind(SQLUSMALLINT marker, const platform::Value &value)
{
    using Type = platform::Value::Type;
    QByteArray data;
    SQLSMALLINT cType = SQL_C_CHAR;
    SQLSMALLINT sqlType = SQL_VARCHAR;
    SQLLEN length = 0;
    // A decimal is declared with its digits and those after its point, so that a driver
    // that honours the declared type keeps its cents.
    SQLULEN columnSize = 0;
    SQLSMALLINT decimalDigits = 0;
    const auto fixed = [&](auto number, SQLSMALLINT c, SQLSMALLINT sql) {
        data = QByteArray(reinterpret_cast<const char *>(&number), sizeof number);
        cType = c;
        sqlType = sql;
        length = sizeof number;
    };
    switch (value.type()) {
    case Type::Empty:
    case Type::Null:
        length = SQL_NULL_DATA;
        break;
    case Type::Boolean:
        fixed(SQLCHAR(value.toBoolean() ? 1 : 0), SQL_C_BIT, SQL_BIT);
        break;
    case Type::Integer:
    case Type::Long:
        fixed(SQLINTEGER(value.toLong()), SQL_C_SLONG, SQL_INTEGER);
        break;
    case Type::Single:
    case Type::Double:
        fixed(SQLDOUBLE(value.toDouble()), SQL_C_DOUBLE, SQL_DOUBLE);
        break;
    case Type::Decimal:
    case Type::Date:
    case Type::String: {
        const QString text = parameterText(value);
        const bool wide = textCalls() == TextCalls::Wide;
        sqlType = value.type() == Type::Decimal ? SQL_NUMERIC
                  : value.type() == Type::Date
                      ? (text.size() == 10 ? SQL_TYPE_DATE : SQL_TYPE_TIMESTAMP)
                  : wide ? SQL_WVARCHAR
                         : SQL_VARCHAR;
        if (value.type() == Type::Decimal) {
            const qsizetype point = text.indexOf(u'.');
            decimalDigits = SQLSMALLINT(point < 0 ? 0 : text.size() - point - 1);
            columnSize = SQLULEN(
                std::count_if(text.begin(), text.end(), [](QChar c) { return c.isDigit(); }));
        }
        if (wide && value.type() == Type::String) {
            data = QByteArray(reinterpret_cast<const char *>(text.utf16()),
                              text.size() * qsizetype(sizeof(char16_t)));
            cType = SQL_C_WCHAR;
        } else {
            data = text.toUtf8();
        }
        length = data.size();
        break;
    }
    }
    m_parameterData.push_back(data);
    m_parameterLengths.push_back(length);
    check(SQLBindParameter(get(),
                           marker,
                           SQL_PARAM_INPUT,
                           cType,
                           sqlType,
                           columnSize ? columnSize : SQLULEN(std::max<SQLLEN>(length, 1)),
                           decimalDigits,
                           m_parameterData.back().data(),
                           SQLLEN(m_parameterData.back().size()),
                           &m_parameterLengths.back()));
}

qint32 Statement::rowCount() const
{
    SQLLEN rows = -1;
    check(SQLRowCount(get(), &rows));
    return rows < 0 || rows > std::numeric_limits<qint32>::max() ? -1 : qint32(rows);
}

SQLRETURN Statement::fetch()
{
    return SQLFetch(get());
}

void Statement::free()
{
    if (!m_handle.isNull()) {
        m_connection->detach(this);
        m_handle.free();
    }
}

} // namespace adodb::odbc
