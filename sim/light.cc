#include "sim/light.hh"

#include <cmath>

#include "display/colour.hh"
#include "display/view.hh"
#include "sim/vehicle.hh"

Light::Light(Vehicle *carrier, int kind, double start, double end, double strength)
    : _kind(kind), _colour(request_colour(255, 255, 0)), _carrier(carrier),
      _arc_start(start), _arc_width(end - start), _strength(strength)
{
}

Light::Light(Point position, int kind, double start, double end, double strength)
    : Light(static_cast<Vehicle *>(nullptr), kind, start, end, strength)
{
    _position = position;
}

// Every light asks for its colour, copies included.
Light::Light(const Light &o)
    : Body(o), _kind(o._kind), _colour(request_colour(255, 255, 0)),
      _carrier(o._carrier), _arc_start(o._arc_start), _arc_width(o._arc_width),
      _strength(o._strength)
{
}

double Light::arc_start() const
{
    return _carrier ? _arc_start + _carrier->heading() : _arc_start;
}

Light *Light::clone() const
{
    Light *l = new Light(*this);
    l->_carrier = nullptr;
    return l;
}

Light *Light::clone_carried(Vehicle *carrier) const
{
    Light *l = new Light(*this);
    l->_carrier = carrier;
    l->_position = Point(0, 0);
    return l;
}

void Light::place(Point position, double heading)
{
    _position = position;
    _arc_start = heading - _arc_width / 2;
}

void Light::follow_carrier()
{
    if (_carrier)
        _position = _carrier->position();
}

void Light::reset()
{
    follow_carrier();
}

void Light::step(double)
{
    follow_carrier();
}

double Light::arc_intensity(double dx, double dy, double s, double w, double alpha) const
{
    double a = arc_start();
    // Adding turns one by one never ends for an infinite start, nor for
    // one so large that 2 pi is below its precision.  An infinite start
    // points nowhere, so the light delivers nothing there.
    if (std::isinf(a))
        return 0;
    if (std::fabs(a) > 64 * M_PI)
        a = std::remainder(a, 2 * M_PI);
    while (a < 0)
        a += 2 * M_PI;
    double theta = std::atan2(dy, dx);
    double lo = theta - alpha / 2;
    double hi = lo + alpha;
    while (a > hi) {
        lo += 2 * M_PI;
        hi = lo + alpha;
    }
    double lo2 = std::fmax(a, lo);
    double hi2 = std::fmin(hi, a + w);
    if (lo2 > hi2)
        return 0;
    return s * (hi2 - lo2) / M_PI;
}

void Light::draw(View *view)
{
    double a1 = arc_start();
    double a2 = a1 + arc_width();
    double s = strength();
    if (s != 0) {
        view->fill_circle(_colour, _position, s, a1, a2);
        if (!_carrier)
            view->draw_circle(_colour, _position, s + 5, a1, a2);
    }
    view->draw_circle(_colour, _position, s + 2, a1, a2);
}

TimedLight::TimedLight(Point position, int kind, int period, double start,
                       double end, double strength)
    : Light(position, kind, start, end, strength), _period(period), _countdown(0)
{
}

TimedLight::TimedLight(Vehicle *carrier, int kind, int period, double start,
                       double end, double strength)
    : Light(carrier, kind, start, end, strength), _period(period), _countdown(0)
{
}

double TimedLight::strength() const
{
    return _countdown != 0 ? _countdown * _strength / _period : 0;
}

TimedLight *TimedLight::clone() const
{
    TimedLight *l = new TimedLight(*this);
    l->_carrier = nullptr;
    l->_countdown = 0;
    return l;
}

TimedLight *TimedLight::clone_carried(Vehicle *carrier) const
{
    TimedLight *l = new TimedLight(*this);
    l->_carrier = carrier;
    l->_position = Point(0, 0);
    l->_countdown = 0;
    return l;
}

// A carried timed light follows its carrier like any other light.
void TimedLight::reset()
{
    follow_carrier();
    _countdown = _period;
}

void TimedLight::step(double)
{
    follow_carrier();
    if (_countdown != 0)
        _countdown--;
}

ThresholdLight::ThresholdLight(Point position, int kind, double start,
                               double end, double strength, double threshold)
    : Light(position, kind, start, end, strength), _threshold(threshold), _on(false)
{
}

ThresholdLight::ThresholdLight(Vehicle *carrier, int kind, double start,
                               double end, double strength, double threshold)
    : Light(carrier, kind, start, end, strength), _threshold(threshold), _on(false)
{
}

double ThresholdLight::strength() const
{
    return _on ? _strength : 0;
}

ThresholdLight *ThresholdLight::clone() const
{
    ThresholdLight *l = new ThresholdLight(*this);
    l->_carrier = nullptr;
    l->_on = false;
    return l;
}

ThresholdLight *ThresholdLight::clone_carried(Vehicle *carrier) const
{
    ThresholdLight *l = new ThresholdLight(*this);
    l->_carrier = carrier;
    l->_position = Point(0, 0);
    l->_on = false;
    return l;
}

void ThresholdLight::observe(const Vector<double> &values)
{
    double sum = 0;
    for (double v : values)
        sum += v;
    _on = sum >= _threshold;
}
