// A library that includes a front-end.
#include "cli/Console.h"
