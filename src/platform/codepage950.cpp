// Code page 950's lead and trail bytes, and its user-defined areas mapped to the
// Private Use Area as Windows maps them.

#include "suiteframe/platform/codepage950_p.h"

#include <QByteArrayView>

#include <array>

namespace platform::codepage950 {

namespace {

// Every lead byte has 157 trail bytes: 0x40–0x7E, then 0xA1–0xFE.
constexpr int TrailsPerLead = 157;
constexpr int LowTrails = 0x7E - 0x40 + 1;

// An area: its lead bytes, the trail byte it starts at on its first lead, and the
// Private Use Area character of its first code; it runs to trail 0xFE of its last lead.
struct Area
{
    unsigned char firstLead;
    unsigned char lastLead;
    unsigned char firstTrail;
    char32_t first;
};

constexpr std::array<Area, 4> Areas{{
    {0xFA, 0xFE, 0x40, 0xE000},
    {0x8E, 0xA0, 0x40, 0xE311},
    {0x81, 0x8D, 0x40, 0xEEB8},
    {0xC6, 0xC8, 0xA1, 0xF6B1},
}};

int trailIndex(unsigned char trail)
{
    return trail <= 0x7E ? trail - 0x40 : LowTrails + (trail - 0xA1);
}

unsigned char trailAt(int index)
{
    return static_cast<unsigned char>(index < LowTrails ? 0x40 + index : 0xA1 + index - LowTrails);
}

// The code's place in the area, counted from the area's first code.
int offsetIn(const Area &area, unsigned char lead, unsigned char trail)
{
    return (lead - area.firstLead) * TrailsPerLead + trailIndex(trail)
           - trailIndex(area.firstTrail);
}

int size(const Area &area)
{
    return offsetIn(area, area.lastLead, 0xFE) + 1;
}

} // namespace

bool isCodePage950(const char *iconvName)
{
    // iconv reads Big5 and code page 950 by one table, so a file of the Windows machines
    // named Big5 by any of its names keeps its user-defined characters too.
    for (const char *name : {"CP950",
                             "MS950",
                             "WINDOWS-950",
                             "BIG5-CP950",
                             "BIG5",
                             "BIG-5",
                             "BIG-FIVE",
                             "BIGFIVE",
                             "CN-BIG5"}) {
        if (QByteArrayView(iconvName).compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool isLeadByte(unsigned char byte)
{
    return byte >= 0x81 && byte <= 0xFE;
}

bool isTrailByte(unsigned char byte)
{
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0xA1 && byte <= 0xFE);
}

std::optional<char32_t> toPrivateUse(unsigned char lead, unsigned char trail)
{
    if (!isTrailByte(trail))
        return std::nullopt;
    for (const Area &area : Areas) {
        if (lead < area.firstLead || lead > area.lastLead)
            continue;
        const int offset = offsetIn(area, lead, trail);
        if (offset >= 0)
            return area.first + char32_t(offset);
    }
    return std::nullopt;
}

std::optional<QByteArray> fromPrivateUse(char32_t character)
{
    for (const Area &area : Areas) {
        if (character < area.first || character >= area.first + char32_t(size(area)))
            continue;
        const int index = int(character - area.first) + trailIndex(area.firstTrail);
        const char bytes[2] = {char(area.firstLead + index / TrailsPerLead),
                               char(trailAt(index % TrailsPerLead))};
        return QByteArray(bytes, 2);
    }
    return std::nullopt;
}

} // namespace platform::codepage950
