// Points the process-wide world, view and world-move alarm at a test's own
// objects, and puts the previous ones back when it goes.
#ifndef XTINKERBOT_TESTS_DRIVER_PROCESS_OBJECTS_HH
#define XTINKERBOT_TESTS_DRIVER_PROCESS_OBJECTS_HH

#include "driver/window.hh"
#include "sim/world.hh"

class ProcessObjects {
  public:
    ProcessObjects() = default;
    ~ProcessObjects()
    {
        if (!_used)
            return;
        the_world = _world;
        the_view = _view;
        the_move_alarm = _alarm;
    }

    void use(World *world, View *view, WorldMoveAlarm *alarm)
    {
        if (!_used) {
            _world = the_world;
            _view = the_view;
            _alarm = the_move_alarm;
            _used = true;
        }
        the_world = world;
        the_view = view;
        the_move_alarm = alarm;
    }

  private:
    bool _used = false;
    World *_world = nullptr;
    View *_view = nullptr;
    WorldMoveAlarm *_alarm = nullptr;

    ProcessObjects(const ProcessObjects &) = delete;
    ProcessObjects &operator=(const ProcessObjects &) = delete;
};

#endif
