// The hydrograph window's compute state.
#include "runoff/compute_state.h"
