// The point of the polygon engine, in internal (scaled) coordinates.
#pragma once

class LPoint {
public:
    LPoint() = default;
    LPoint(double x, double y) : _x(x), _y(y) {}
    // A copy of *other; a null other raises the fatal creation error.
    explicit LPoint(const LPoint *other);
    LPoint(const LPoint &) = default;
    LPoint &operator=(const LPoint &other) = default;

    double GetX() const { return _x; }
    double GetY() const { return _y; }
    void SetX(double x) { _x = x; }
    void SetY(double y) { _y = y; }

    // Square test: both coordinates within marge (inclusive).
    bool Equal(const LPoint &other, double marge) const;
    // Circle test: distance at most marge (inclusive).
    bool ShorterThan(const LPoint &other, double marge) const;

protected:
    double _x = 0.0;
    double _y = 0.0;
};

// Inline: the sweeps call it for every tolerance test.
inline double DoubleAbs(double value) { return value < 0 ? -value : value; }
