#pragma once

// The program's own module of the same name as the frame's.
namespace consumer::base {
inline const char *owner()
{
    return "consumer";
}
} // namespace consumer::base
