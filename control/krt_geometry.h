// The point and rectangle automation classes that the control's conversion,
// zoom and query methods take: KrtPoint (x, y) and KrtRect (left, top,
// right, bottom), plain values of signed 32-bit integers.
#pragma once

#include "platform/automation_dispatch.h"
#include "platform/automation_server.h"

#include <memory>

class KrtPoint : public DispatchObject {
public:
    static std::shared_ptr<const MemberTable> Table();
    KrtPoint();

    int32_t x = 0;
    int32_t y = 0;

protected:
    ~KrtPoint() override;

private:
    ModuleLock lock_;
};

class KrtRect : public DispatchObject {
public:
    static std::shared_ptr<const MemberTable> Table();
    KrtRect();

    // The empty rectangle that any point enlarges.
    int32_t left = 2147483647;
    int32_t top = 2147483647;
    int32_t right = INT32_MIN;
    int32_t bottom = INT32_MIN;

protected:
    ~KrtRect() override;

private:
    ModuleLock lock_;
};

// The object behind a dispatch pointer when it is one of this library's
// points or rectangles; null for null, foreign objects and other classes.
KrtPoint *AsKrtPoint(IDispatch *object);
KrtRect *AsKrtRect(IDispatch *object);
