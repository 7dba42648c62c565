#include "sim/actuator.hh"

#include <cmath>

#include "display/view.hh"
#include "sim/body.hh"
#include "sim/vehicle.hh"

Actuator::Actuator(Point mount, double strength)
    : _mount(mount), _direction(0), _strength(strength),
      _lever(length(mount) * std::sin(std::atan2(mount.y, mount.x)))
{
}

void Actuator::draw(const Vehicle *vehicle, View *view) const
{
    double h = vehicle->heading();
    Point m = vehicle->position() + rotate_polar(_mount, h);
    Point across = rotate_polar(Point(0, 5), _direction + h);
    Point along = rotate_polar(Point(8, 0), _direction + h);
    Point p0 = m - (across + along) * 0.5;
    Point corners[4] = {p0, p0 + along, p0 + along + across, p0 + across};
    view->fill_polygon(vehicle->colour(), 4, corners);
}
