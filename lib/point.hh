// Point: a plain pair of doubles in world units, used for positions,
// offsets, velocities, trail points and drawing.
#ifndef XTINKERBOT_LIB_POINT_HH
#define XTINKERBOT_LIB_POINT_HH

#include <cmath>

struct Point {
    double x = 0;
    double y = 0;

    Point() = default;
    Point(double x_, double y_) : x(x_), y(y_) {}

    Point &operator+=(Point p) { x += p.x; y += p.y; return *this; }
    Point &operator-=(Point p) { x -= p.x; y -= p.y; return *this; }
    Point &operator*=(double k) { x *= k; y *= k; return *this; }
    Point &operator/=(double k) { x /= k; y /= k; return *this; }
};

inline Point operator+(Point a, Point b) { return Point(a.x + b.x, a.y + b.y); }
inline Point operator-(Point a, Point b) { return Point(a.x - b.x, a.y - b.y); }
inline Point operator-(Point a) { return Point(-a.x, -a.y); }
inline Point operator*(Point a, double k) { return Point(a.x * k, a.y * k); }
inline Point operator*(double k, Point a) { return Point(a.x * k, a.y * k); }
inline Point operator/(Point a, double k) { return Point(a.x / k, a.y / k); }
inline bool operator==(Point a, Point b) { return a.x == b.x && a.y == b.y; }
inline bool operator!=(Point a, Point b) { return !(a == b); }

inline double dot(Point a, Point b) { return a.x * b.x + a.y * b.y; }
inline double length(Point a) { return std::sqrt(a.x * a.x + a.y * a.y); }

#endif
