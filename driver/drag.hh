// Drag: what button 1 holds.  Pressed on a body it picks the body up and
// the pointer carries it until the button is released; pressed on empty
// space it holds the view, which then follows the pointer.  It acts on the
// process-wide the_world and the_view.
#ifndef XTINKERBOT_DRIVER_DRAG_HH
#define XTINKERBOT_DRIVER_DRAG_HH

#include "lib/point.hh"

class Body;

class Drag {
  public:
    enum Kind { nothing, body, view };

    Drag() : _kind(nothing), _body(nullptr), _cursor(0) {}

    // Window pixels of the pointer.  move and release without a press
    // before them do nothing.
    void press(int x, int y);
    void move(int x, int y);
    void release(int x, int y);
    // Lets go where things are ('r' and a lost release use it).
    void cancel();

    Kind kind() const { return _kind; }
    Body *held() const { return _body; }

  private:
    Kind _kind;
    Body *_body;
    // body: the held body's centre minus the world point grabbed, so the
    // grabbed point stays under the pointer; view: the world point grabbed.
    Point _grab;
    unsigned long _cursor;  // X cursor shown while a body is held, 0 until made

    void carry(Point centre);
    void show_holding(bool on);
};

extern Drag the_drag;

#endif
