// The failure handlers: the exception in flight taken as a runtime error, then
// reported, logged, skipped or handed back.

#include "suiteframe/base/failure.h"

#include "suiteframe/base/basBase.h"
#include "suiteframe/platform/runtimeerror.h"

#include <new>
#include <stdexcept>

namespace failure::detail {

namespace {

using platform::RuntimeError;

// The runtime error that the exception in flight stands for. Standard library
// failures are mapped to the runtime's nearest numbers.
RuntimeError currentAsRuntimeError()
{
    try {
        throw;
    } catch (const RuntimeError &error) {
        return error;
    } catch (const std::bad_alloc &) {
        return RuntimeError(platform::ErrorNumber::OutOfMemory);
    } catch (const std::out_of_range &error) {
        return RuntimeError(platform::ErrorNumber::SubscriptOutOfRange,
                            QString::fromLocal8Bit(error.what()));
    } catch (const std::exception &error) {
        return RuntimeError(platform::ErrorNumber::InvalidProcedureCall,
                            QString::fromLocal8Bit(error.what()));
    } catch (...) {
        return RuntimeError(platform::ErrorNumber::ProviderFailure);
    }
}

} // namespace

void handleCurrentException(Handling handling, const QString &procedure) noexcept
{
    const RuntimeError error = currentAsRuntimeError();
    // A skipped step leaves the current error alone: the skip may happen inside a
    // report that is still reading it.
    if (handling == Handling::Skip)
        return;
    platform::Err().set(error);
    if (handling == Handling::Report)
        basBase::ReportError(procedure);
    else
        basBase::LogError(procedure);
    platform::Err().clear();
}

Failure describeCurrentException() noexcept
{
    const RuntimeError error = currentAsRuntimeError();
    return {error.number(), error.description()};
}

} // namespace failure::detail

namespace failure {

void keepInLog(const QString &procedure, const Failure &failure) noexcept
{
    platform::Err().set(platform::RuntimeError(failure.number, failure.description));
    basBase::LogReport(procedure);
    platform::Err().clear();
}

} // namespace failure
