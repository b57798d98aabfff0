#include "app/request/InputFields.h"
