// Progress of the file readers and writers, from 0 to 100, on an optional
// progress bar. Sizes and counts are 64-bit, so files over 4 GiB report
// correctly.
#pragma once

#include <cstdint>

class QProgressBar;

// done × 100 / total, rounded to the nearest whole percent and kept within
// 0 to 100; 0 when total is not above 0.
int ProgressPercent(int64_t done, int64_t total);
// Sets the bar (when there is one) to ProgressPercent(done, total); nothing
// when total is not above 0.
void ShowProgress(QProgressBar *bar, int64_t done, int64_t total);
// Makes the bar run from 0 to 100 and sets it to 0.
void ResetProgress(QProgressBar *bar);
