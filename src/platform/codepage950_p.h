// Internal to the code page: the double-byte structure of code page 950 and its
// user-defined areas. Not installed.

#pragma once

#include <QByteArray>

#include <optional>

// Code page 950 as the suite's Windows machines read and write it. A character is one
// byte below 0x80, or a lead byte 0x81–0xFE and a trail byte 0x40–0x7E or 0xA1–0xFE.
// Offices type the rare characters of people's names as user-defined characters in
// four areas, which Windows maps in order to the Private Use Area and back:
//   FA40–FEFE ↔ U+E000–U+E310,  8E40–A0FE ↔ U+E311–U+EEB7,
//   8140–8DFE ↔ U+EEB8–U+F6B0,  C6A1–C8FE ↔ U+F6B1–U+F848.
namespace platform::codepage950 {

// Whether the iconv name is code page 950, or Big5 by one of its names, whose
// user-defined areas are mapped here.
bool isCodePage950(const char *iconvName);

bool isLeadByte(unsigned char byte);
bool isTrailByte(unsigned char byte);

// The Private Use Area character of a lead and trail byte in a user-defined area.
std::optional<char32_t> toPrivateUse(unsigned char lead, unsigned char trail);

// The two bytes of a Private Use Area character that one of the areas maps.
std::optional<QByteArray> fromPrivateUse(char32_t character);

} // namespace platform::codepage950
