// Hydrologic database access.
#include "hdb/connection.h"
