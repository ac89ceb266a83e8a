#include "engine/view/projection/unit_table.h"

#include <algorithm>
#include <cstring>

namespace {

// String ids: long names 1700 + id, short names 1750 + id.
constexpr int32_t L(int id) { return 1700 + id; }
constexpr int32_t S(int id) { return 1750 + id; }

constexpr tagUnitInfo kUnits[] = {
    {1, UNIT_METRIC, L(1), 10000.0, S(1)}, // a tenth of a millimetre, as stored documents use it
    {2, UNIT_METRIC, L(2), 1000.0, S(2)},
    {3, UNIT_METRIC, L(3), 100.0, S(3)},
    {4, UNIT_METRIC, L(4), 1.0, S(4)},
    {5, UNIT_METRIC, L(5), 0.001, S(5)},
    {6, UNIT_ANGLE, L(6), 36000.0, 0},
    {7, UNIT_ANGLE, L(7), 360000.0, 0},
    {8, UNIT_ANGLE, L(8), 3600000.0, 0},
    {9, UNIT_IMPERIAL, L(9), 39370.07874015748, S(9)},
    {10, UNIT_IMPERIAL, L(10), 3937.0078740157483, S(10)},
    {11, UNIT_IMPERIAL, L(11), 39.37007874015748, S(11)},
    {12, UNIT_IMPERIAL, L(12), 3.2808398950131235, S(12)},
    {13, UNIT_IMPERIAL, L(13), 1.0936132983377078, S(13)},
    {14, UNIT_IMPERIAL, L(14), 0.04970969537898672, S(14)},
    {15, UNIT_IMPERIAL, L(15), 0.0006213731536424907, S(15)},
    {16, UNIT_AREA, L(16), 100000000.0, S(16)},
    {17, UNIT_AREA, L(17), 1000000.0, S(17)},
    {18, UNIT_AREA, L(18), 10000.0, S(18)},
    {19, UNIT_AREA, L(19), 1.0, S(19)},
    {20, UNIT_AREA, L(20), 0.000001, S(20)},
    {21, UNIT_AREA, L(21), 1.0, S(21)}, // kept at 1.0: stored documents were measured with it
    {22, UNIT_AREA, L(22), 1.0, S(22)},
    {23, UNIT_AREA, L(23), 1550.003100006, S(23)},
    {24, UNIT_AREA, L(24), 10.76391041671, S(24)},
    {25, UNIT_AREA, L(25), 1.195990046301, S(25)},
    {26, UNIT_AREA, L(26), 1.0, S(26)},
    {27, UNIT_AREA, L(27), 0.0000003861232717311, S(27)},
    {28, UNIT_AREA, L(28), 0.01, S(28)},
    {29, UNIT_AREA, L(29), 0.0001, S(29)},
    {30, UNIT_AREA, L(30), 0.0002471051630153, S(30)},
    {31, UNIT_AREA, L(31), 0.0001813565469713, S(31)},
    {-1, 0, 0, 1.0, 0},
};

struct NameText {
    int32_t id;
    const char *text;
};

// Windows-1252: \xB2 is the superscript two.
constexpr NameText kNames[] = {
    {L(1), "micrometer"},         {S(1), " um"},
    {L(2), "millimetre"},         {S(2), " mm"},
    {L(3), "centimeter"},         {S(3), " cm"},
    {L(4), "meter"},              {S(4), " m"},
    {L(5), "kilometer"},          {S(5), " km"},
    {L(6), "1/10  Second"},       {L(7), "1/100 Second"},
    {L(8), "1/1000 Second"},
    {L(9), "HI English"},         {S(9), " HI inch"},
    {L(10), "LO English"},        {S(10), " LO inch"},
    {L(11), "inches"},            {S(11), " in"},
    {L(12), "feet"},              {S(12), " ft"},
    {L(13), "yards"},             {S(13), " yd"},
    {L(14), "chains"},            {S(14), " ch"},
    {L(15), "miles"},             {S(15), " ml"},
    {L(16), "square micrometer"}, {S(16), " um\xB2"},
    {L(17), "square millimetre"}, {S(17), " mm\xB2"},
    {L(18), "square centimeter"}, {S(18), " cm\xB2"},
    {L(19), "square meter"},      {S(19), " m\xB2"},
    {L(20), "square kilometer"},  {S(20), " km\xB2"},
    {L(21), "square HI English"}, {S(21), " HI inch\xB2"},
    {L(22), "square LO English"}, {S(22), " LO inch\xB2"},
    {L(23), "square inch"},       {S(23), " in\xB2"},
    {L(24), "square feet"},       {S(24), " ft\xB2"},
    {L(25), "square yard"},       {S(25), " yd\xB2"},
    {L(26), "square chain"},      {S(26), " ch\xB2"},
    {L(27), "square mile"},       {S(27), " ml\xB2"},
    {L(28), "are"},               {S(28), " ar"},
    {L(29), "hectare"},           {S(29), " ha"},
    {L(30), "acre"},              {S(30), " ac"},
    {L(31), "Tonder"},            {S(31), " Tonder"},
};

} // namespace

const tagUnitInfo *FindUnitInfo(int id)
{
    for (const tagUnitInfo *u = kUnits; u->id != -1; ++u)
        if (u->id == id)
            return u;
    return nullptr;
}

const tagUnitInfo *GetPtrUnitInfo() { return kUnits; }

const char *UnitNameText(int32_t stringId)
{
    for (const NameText &n : kNames)
        if (n.id == stringId)
            return n.text;
    return "";
}

int UnitStringGet(int id, int shortFlag, char *buffer, int length)
{
    const tagUnitInfo *u = FindUnitInfo(id);
    if (!u)
        return 0;
    if (!buffer || length <= 0)
        return 1;
    const int32_t stringId = shortFlag ? u->shortName : u->longName;
    const char *text = stringId ? UnitNameText(stringId) : "";
    const size_t n = std::min(std::strlen(text), size_t(length - 1));
    std::memcpy(buffer, text, n);
    buffer[n] = '\0';
    return 1;
}

int UnitStringGet2(int id, int shortFlag, char *buffer, int length)
{
    return UnitStringGet(id, shortFlag, buffer, length);
}
