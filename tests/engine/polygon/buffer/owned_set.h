// A polygon set owned by a test: freed when the owner leaves scope.
#pragma once

#include "engine/polygon/polygon_logical.h"

struct Owned {
    PlgOpResult *set;
    explicit Owned(PlgOpResult *s) : set(s) {}
    ~Owned() { DeletePlgOpResult(set); }
    Owned(const Owned &) = delete;
    Owned &operator=(const Owned &) = delete;
};
