// The program's own header of the same name as the frame's.

#pragma once

namespace consumer::platform {
struct Value
{};
} // namespace consumer::platform
