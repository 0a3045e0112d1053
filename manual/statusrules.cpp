#include "manual/statusrules.h"
