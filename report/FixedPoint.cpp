#include "report/FixedPoint.h"
