#pragma once

// The program's own header of the same name as the frame's.
namespace consumer::platform {
struct Value
{};
} // namespace consumer::platform
