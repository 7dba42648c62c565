// Bodies from the command line: operands name catalogue bodies; vehicles
// are cloned with the light, wiring and crossing settings in force, lights
// are added themselves.
#ifndef XTINKERBOT_DRIVER_BODY_OPTIONS_HH
#define XTINKERBOT_DRIVER_BODY_OPTIONS_HH

class Light;
class Logic;

extern Light *vehicle_light;  // the template that -lights copies onto vehicles

void create_vehicle_light();
void handle_cross_option(bool negated);                               // -x
void handle_lights_option(bool negated, bool has_value, double value);  // -l[VAL]
void set_left_logic(Logic *logic);   // -ll, null allowed
void set_right_logic(Logic *logic);  // -rl, null allowed
void handle_operand(const char *text);
// Operands and settings refused so far: unknown bodies, settings for an
// actuator the vehicle lacks.
int operand_error_count();

#endif
