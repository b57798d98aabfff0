#include "model/Cal_Main.h"
