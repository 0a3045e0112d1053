#include "sim/parameterlist.h"
