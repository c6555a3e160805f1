// The failure handlers that run a routine's body at its edge.

#pragma once

#include <QString>

#include <optional>
#include <utility>

// The failure handlers of the system's routines. Deep code throws RuntimeError; a
// routine runs its body through one of these at its edge, and nothing else catches.
// report and log make the caught failure the current error (platform::Err()) while
// they report, and clear it again when they leave, as leaving a handler does.
//
//   report: the failure is reported through basBase::ReportError under the procedure
//           name and the rest of the body is skipped (window procedures, AddLine's
//           steps, Encrypt, DBDateDisp).
//   log:    the failure is logged quietly through basBase::LogError (ConnectADO).
//   skip:   the failing step is skipped without a word (routines that go on with
//           their next step).
//   capture: the failure is handed back, for an edge that tells of it in its own way
//           (a command's one line on standard error, a program's message in its
//           users' words); nothing is reported or logged but what keepInLog writes.
//
// Each but capture answers true when the body ran to its end.
namespace failure {

// A captured failure: the runtime error number and description it stands for.
struct Failure
{
    qint32 number = 0;
    QString description;
};

namespace detail {
enum class Handling { Report, Log, Skip };
// Called from inside a catch block: classifies the exception in flight and handles it.
void handleCurrentException(Handling handling, const QString &procedure) noexcept;
// Called from inside a catch block: the exception in flight as a Failure.
Failure describeCurrentException() noexcept;
} // namespace detail

template<typename Body>
bool run(detail::Handling handling, const QString &procedure, Body &&body) noexcept
{
    try {
        std::forward<Body>(body)();
        return true;
    } catch (...) {
        detail::handleCurrentException(handling, procedure);
        return false;
    }
}

template<typename Body>
bool report(const QString &procedure, Body &&body) noexcept
{
    return run(detail::Handling::Report, procedure, std::forward<Body>(body));
}

template<typename Body>
bool log(const QString &procedure, Body &&body) noexcept
{
    return run(detail::Handling::Log, procedure, std::forward<Body>(body));
}

template<typename Body>
bool skip(Body &&body) noexcept
{
    return run(detail::Handling::Skip, QString(), std::forward<Body>(body));
}

// Writes the captured failure to the error log as a report would, with its own
// description, and nothing else: for an edge that told the user in words of its own.
void keepInLog(const QString &procedure, const Failure &failure) noexcept;

// The failure of the body, or nothing when it ran to its end.
template<typename Body>
std::optional<Failure> capture(Body &&body) noexcept
{
    try {
        std::forward<Body>(body)();
        return std::nullopt;
    } catch (...) {
        return detail::describeCurrentException();
    }
}

} // namespace failure
