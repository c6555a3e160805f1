// The questions that sort a provider's failure by cause, by name, for tables of cases.

#pragma once

#include "suiteframe/adodb/errors.h"

#include <QString>

#include <map>

// Whether the question of adodb/errors.h that the cause names ("locked", "read only",
// "duplicate key", "time-out", "connection lost", "no such table") answers true, and
// every other question false: a failure has one cause. An empty cause asks that none
// answers true.
inline bool hasOnlyCause(const adodb::Errors &errors, const QString &cause)
{
    using Question = bool (*)(const adodb::Errors &);
    static const std::map<QString, Question> questions{
        {QStringLiteral("locked"), adodb::isLockedOrBusy},
        {QStringLiteral("read only"), adodb::isReadOnly},
        {QStringLiteral("duplicate key"), adodb::isDuplicateKey},
        {QStringLiteral("time-out"), adodb::isTimeout},
        {QStringLiteral("connection lost"), adodb::isConnectionLost},
        {QStringLiteral("no such table"), adodb::isNoSuchTable},
    };
    for (const auto &[name, question] : questions) {
        if (question(errors) != (name == cause))
            return false;
    }
    return cause.isEmpty() || questions.contains(cause);
}
