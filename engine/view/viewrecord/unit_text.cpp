#include "engine/view/viewrecord/unit_text.h"

#include "engine/kernel/number_format.h"
#include "engine/view/projection/unit_table.h"
#include "engine/view/viewrecord/view_transforms.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kTextSize = 200;

char DecimalCharacter()
{
    const char c = FormatValueGet(INTL_DECIMAL);
    return c ? c : '.';
}

bool IsAlnum(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }

int32_t ClampToLong(long long v) { return int32_t(std::clamp<long long>(v, INT32_MIN, INT32_MAX)); }

} // namespace

void PM_DegreesToText(double d, char *text)
{
    const int s = d < 0 ? -1 : 1;
    const double a = std::fabs(d);
    const double D = std::floor(a);
    const double m = (a - D) * 60;
    const double M = std::floor(m);
    const double x = (m - M) * 60;
    const double S = std::floor(x);
    const double H = std::floor((x - S) * 100);
    // The sign rides on the degrees field, so a value between -1 and 0 needs
    // its own minus sign.
    const char *minus = (s < 0 && D == 0) ? "-" : "";
    std::snprintf(text, kTextSize, "%s%d\xB0%d'%d%c%d\"", minus, int(D) * s, int(M), int(S),
                  DecimalCharacter(), int(H));
}

int PM_TextToDegreesValue(int32_t *value, double f, const char *text)
{
    char work[64] = {};
    if (text)
        std::strncpy(work, text, 63);
    // Only a real decimal character is replaced; the terminator never is.
    const char dec = FormatValueGet(INTL_DECIMAL);
    if (dec && dec != '.')
        if (char *p = std::strchr(work, dec))
            *p = '.';
    const char *p = work;
    while (*p == ' ' || *p == '\t')
        ++p;
    const bool negative = *p == '-';
    long long D = std::strtoll(work, nullptr, 10);
    if (D < 0)
        D = -D;
    if (negative)
        f = -f;
    const char *q = work;
    while (*q && !IsAlnum(*q))
        ++q;
    while (*q && IsAlnum(*q))
        ++q;
    while (*q && !IsAlnum(*q))
        ++q;
    const long long M = std::strtoll(q, nullptr, 10);
    double S = 0;
    if (const char *apostrophe = std::strchr(work, '\''))
        S = std::strtod(apostrophe + 1, nullptr);
    const double v = (S * 0.0002777777777777778 + M * 0.016666666666666666 + double(D)) * f;
    // Half away from zero: a negative angle reads back as the value it was
    // written from.
    if (value)
        *value = v < 0 ? -PM_Round(-v) : PM_Round(v);
    return 1;
}

int PM_UnitValueToText(int unit, int32_t value, char *text)
{
    const tagUnitInfo *u = FindUnitInfo(unit);
    if (!u || !text)
        return 0;
    if (u->kind & UNIT_ANGLE) {
        PM_DegreesToText(value / u->factor, text);
        return 1;
    }
    char name[11];
    UnitStringGet(unit, 1, name, sizeof name);
    std::snprintf(text, kTextSize, "%ld %s", long(value), name);
    return 1;
}

int PM_TextToUnitValue(int unit, int32_t *value, const char *text)
{
    const tagUnitInfo *u = FindUnitInfo(unit);
    if (!text || !value || !u)
        return 0;
    char work[kTextSize] = {};
    std::strncpy(work, text, kTextSize - 1);
    if (u->kind & UNIT_ANGLE)
        return PM_TextToDegreesValue(value, u->factor, work);
    *value = ClampToLong(std::strtoll(work, nullptr, 10));
    return 1;
}

int PM_MeasureToTextIn(const PresentationManager *view, int unit, double value, char decimal, char *text)
{
    const tagUnitInfo *t = FindUnitInfo(unit);
    if (!t || !text)
        return 0;
    const tagUnitInfo *b = FindUnitInfo(view->projection.baseUnit);
    const tagUnitInfo *w = FindUnitInfo(view->projection.transformedUnit);
    const bool bAngle = b && (b->kind & UNIT_ANGLE), wAngle = w && (w->kind & UNIT_ANGLE);
    double result;
    if (bAngle && wAngle) {
        result = value * t->factor; // measured on the ground, in metres
    } else {
        const tagUnitInfo *source = (bAngle && !wAngle) ? w : b;
        const double fs = source ? source->factor : 1.0;
        result = (t->kind & UNIT_AREA) ? value / (fs * fs) * t->factor : value / fs * t->factor;
    }
    std::snprintf(text, kTextSize, "%15.2f", result);
    if (decimal == ',')
        if (char *p = std::strchr(text, '.'))
            *p = ',';
    char name[11];
    UnitStringGet(unit, 1, name, sizeof name);
    std::strncat(text, name, kTextSize - std::strlen(text) - 1);
    return 1;
}

bool PM_Unit2Stringf(int unit, std::string *out)
{
    char name[11];
    if (!UnitStringGet(unit, 1, name, sizeof name))
        return false;
    if (out)
        *out = name;
    return true;
}
