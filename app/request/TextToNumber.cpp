#include "app/request/TextToNumber.h"
