// The hydrograph window's compute state (a plain record; see compute_state.h).
#include "runoff/compute_state.h"
