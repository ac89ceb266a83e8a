#include "platform/line_dda.h"

BOOL LineDDA(int x1, int y1, int x2, int y2, LINEDDAPROC proc, LPARAM data)
{
    if (!proc)
        return FALSE;
    WalkLineDDA(x1, y1, x2, y2, [&](int x, int y) { proc(x, y, data); });
    return TRUE;
}
