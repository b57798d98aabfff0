#include "report/ResultsFile.h"
