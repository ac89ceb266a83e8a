#include "engine/view/projection/unit_table.h"

#include "engine/kernel/module_startup.h"

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

} // namespace

const tagUnitInfo *FindUnitInfo(int id)
{
    for (const tagUnitInfo *u = kUnits; u->id != -1; ++u)
        if (u->id == id)
            return u;
    return nullptr;
}

const tagUnitInfo *GetPtrUnitInfo() { return kUnits; }

int UnitStringGet(int id, int shortFlag, char *buffer, int length)
{
    const tagUnitInfo *u = FindUnitInfo(id);
    if (!u)
        return 0;
    if (!buffer || length <= 0)
        return 1;
    const int32_t stringId = shortFlag ? u->shortName : u->longName;
    buffer[0] = '\0';
    if (stringId)
        LoadStringMap(unsigned(stringId), buffer, length);
    return 1;
}

int UnitStringGet2(int id, int shortFlag, char *buffer, int length)
{
    return UnitStringGet(id, shortFlag, buffer, length);
}
