#include "sim/programmemory.h"
