// The lowest layer including one above it.
#include "report/FixedPoint.h"
