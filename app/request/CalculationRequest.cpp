#include "app/request/CalculationRequest.h"
