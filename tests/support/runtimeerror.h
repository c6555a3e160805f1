// The runtime error a step of a test throws, for tests that check which one.

#pragma once

#include "suiteframe/base/failure.h"
#include "suiteframe/platform/runtimeerror.h"

#include <functional>

// The number of the runtime error the step throws, or 0 when it runs to its end. The
// step runs through the routines' own capture handler (failure::capture), which also
// hands back the failure itself where a test needs its description too.
inline qint32 errorNumberOf(const std::function<void()> &step)
{
    return failure::capture(step).value_or(failure::Failure{}).number;
}

// The description of the runtime error the step throws, or an empty text when it runs
// to its end.
inline QString errorDescriptionOf(const std::function<void()> &step)
{
    return failure::capture(step).value_or(failure::Failure{}).description;
}
