// The runtime error a step of a test throws, for tests that check which one.

#pragma once

#include "suiteframe/platform/runtimeerror.h"

#include <functional>
#include <optional>

// The runtime error the step throws, or nothing when it runs to its end. Any other
// exception goes on to the test runner, as a fault of the code under test.
inline std::optional<platform::RuntimeError> runtimeErrorOf(const std::function<void()> &step)
{
    try {
        step();
    } catch (const platform::RuntimeError &error) {
        return error;
    }
    return std::nullopt;
}

// The number of the runtime error the step throws, or 0 when it runs to its end.
inline qint32 errorNumberOf(const std::function<void()> &step)
{
    const std::optional<platform::RuntimeError> error = runtimeErrorOf(step);
    return error ? error->number() : 0;
}

// The description of the runtime error the step throws, or an empty text when it runs
// to its end.
inline QString errorDescriptionOf(const std::function<void()> &step)
{
    const std::optional<platform::RuntimeError> error = runtimeErrorOf(step);
    return error ? error->description() : QString();
}
