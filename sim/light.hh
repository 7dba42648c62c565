// Lights: the radiation sources that vehicles sense.  A Light stands still
// or rides on a vehicle and emits one kind into an arc of directions; the
// intensity it delivers falls off with distance outside the disc of radius
// `strength'.  A TimedLight fades linearly to dark over a number of steps
// after every reset; a ThresholdLight shines only while the readings of the
// vehicle carrying it add up to its threshold.
#ifndef XTINKERBOT_SIM_LIGHT_HH
#define XTINKERBOT_SIM_LIGHT_HH

#include "sim/body.hh"

class Light : public Body {
  public:
    Light(Vehicle *carrier, int kind, double start, double end, double strength);
    Light(Point position, int kind, double start, double end, double strength);
    Light(const Light &o);

    virtual double strength() const { return _strength; }
    virtual double arc_start() const;
    virtual double arc_width() const { return _arc_width; }
    virtual void set_strength(double s) { _strength = s; }

    int kind() const { return _kind; }
    int colour() const { return _colour; }
    Vehicle *carrier() const { return _carrier; }
    double nominal_strength() const { return _strength; }

    Light *clone() const override;
    Light *clone_carried(Vehicle *carrier) const override;
    void place(Point position, double heading) override;
    void reset() override;
    bool emits(int kind) const override { return kind == _kind; }
    // Final and inline: sensors call it through a Light pointer for every
    // light in every step, and most lights shine in every direction.
    double intensity_at(int kind, Point &source, Point at) const final;
    bool carried_by(const Vehicle *v) const final { return v == _carrier; }
    int layer() const override { return 1; }
    void step(double dt) override;
    void draw(View *view) override;

  protected:
    // A carried light jumps to its carrier.
    void follow_carrier();
    // What a light of arc width w < 2 pi delivers, seen from offset (dx, dy).
    double arc_intensity(double dx, double dy, double s, double w, double alpha) const;

    int _kind;
    int _colour;
    Vehicle *_carrier;   // null for a free-standing light
    double _arc_start;   // radians; relative to the carrier's heading if carried
    double _arc_width;   // radians; 2 pi or more: every direction
    double _strength;    // nominal; also the radius of the drawn disc
};

class TimedLight : public Light {
  public:
    TimedLight(Point position, int kind, int period, double start, double end,
               double strength);
    TimedLight(Vehicle *carrier, int kind, int period, double start, double end,
               double strength);

    double strength() const override;
    int period() const { return _period; }
    int countdown() const { return _countdown; }

    TimedLight *clone() const override;
    TimedLight *clone_carried(Vehicle *carrier) const override;
    void reset() override;
    void step(double dt) override;

  private:
    int _period;     // steps from full strength to dark
    int _countdown;  // steps left; 0 is dark
};

class ThresholdLight : public Light {
  public:
    ThresholdLight(Point position, int kind, double start, double end,
                   double strength, double threshold);
    ThresholdLight(Vehicle *carrier, int kind, double start, double end,
                   double strength, double threshold);

    double strength() const override;
    double threshold() const { return _threshold; }
    bool on() const { return _on; }

    ThresholdLight *clone() const override;
    ThresholdLight *clone_carried(Vehicle *carrier) const override;
    void observe(const Vector<double> &values) override;

  private:
    double _threshold;
    bool _on;  // the latest observed sum reached the threshold
};

// What a light of strength s that shines all round delivers at distance d.
inline double round_intensity(double s, double d)
{
    double alpha = s > d ? M_PI : M_PI * s / d;
    return s * alpha / M_PI;
}

// Within the disc of radius S the light spreads over the whole half-turn;
// outside it the spread alpha shrinks with distance.  A directional light
// delivers the overlap of the window of width alpha around the point's
// direction with its emission arc.
inline double Light::intensity_at(int kind, Point &source, Point at) const
{
    if (kind != _kind)
        return 0;
    source = _position;
    double dx = at.x - _position.x, dy = at.y - _position.y;
    double d = std::sqrt(dx * dx + dy * dy);
    double s = strength();
    double w = arc_width();
    if (w >= 2 * M_PI)
        return round_intensity(s, d);
    double alpha = s > d ? M_PI : M_PI * s / d;
    return arc_intensity(dx, dy, s, w, alpha);
}

#endif
