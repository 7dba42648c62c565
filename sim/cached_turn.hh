// CachedTurn: the cosine and sine of the angle last asked for.
//
// Most vehicles of a large world keep their heading from one step to the
// next (their turning effect stays below angular friction), so their
// sensors and motors ask for the sines and cosines of the very angles of
// the step before.  A vehicle keeps one CachedTurn per sensor and one for
// its motors; an angle is the same when its bits are, so what the cache
// gives back is bit for bit what the maths library would.
#ifndef XTINKERBOT_SIM_CACHED_TURN_HH
#define XTINKERBOT_SIM_CACHED_TURN_HH

#include <cmath>
#include <cstdint>
#include <cstring>

class CachedTurn {
  public:
    // cos(angle) and sin(angle).
    void at(double angle, double &c, double &s)
    {
        std::uint64_t bits;
        std::memcpy(&bits, &angle, sizeof bits);
        if (!_valid || bits != _bits) {
            _cos = std::cos(angle);
            _sin = std::sin(angle);
            _bits = bits;
            _valid = true;
        }
        c = _cos;
        s = _sin;
    }

  private:
    bool _valid = false;
    std::uint64_t _bits = 0;  // of the angle _cos and _sin belong to
    double _cos = 0, _sin = 0;
};

#endif
