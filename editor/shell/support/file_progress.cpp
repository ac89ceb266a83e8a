#include "editor/shell/support/file_progress.h"

#include <QProgressBar>

#include <algorithm>

int ProgressPercent(int64_t done, int64_t total)
{
    if (total <= 0)
        return 0;
    done = std::clamp<int64_t>(done, 0, total);
    // done × 100 fits: done is at most a file size, far below 2^56.
    return int((done * 100 + total / 2) / total);
}

void ShowProgress(QProgressBar *bar, int64_t done, int64_t total)
{
    if (bar && total > 0)
        bar->setValue(ProgressPercent(done, total));
}

void ResetProgress(QProgressBar *bar)
{
    if (!bar)
        return;
    bar->setRange(0, 100);
    bar->setValue(0);
}
