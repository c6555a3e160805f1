// A command with parameters, and the LIKE pattern of a literal text.

#include "suiteframe/adodb/command.h"

#include "suiteframe/adodb/connection.h"
#include "suiteframe/adodb/queryrecordset.h"

namespace adodb {

Command::Command(Connection &activeConnection, const QString &commandText)
    : m_connection(activeConnection)
    , m_commandText(commandText)
{}

void Command::appendParameter(const platform::Value &value)
{
    m_parameters.push_back(value);
}

std::unique_ptr<QueryRecordset> Command::Execute(qint32 *RecordsAffected)
{
    return m_connection.execute(m_commandText, m_parameters, RecordsAffected);
}

QString likeLiteral(const QString &text)
{
    QString pattern;
    pattern.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'\\' || c == u'%' || c == u'_')
            pattern += u'\\';
        pattern += c;
    }
    return pattern;
}

} // namespace adodb
