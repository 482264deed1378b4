// Windows reaches no I2C bus of its own: there is no buses command to list them.
#include "command.h"

extern const Command kBusesCommand;
const Command kBusesCommand{"buses", "", nullptr};
