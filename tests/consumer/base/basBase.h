// The program's own module of the same name as the frame's.

#pragma once

namespace consumer::base {
inline const char *owner()
{
    return "consumer";
}
} // namespace consumer::base
