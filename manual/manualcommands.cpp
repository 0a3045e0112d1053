#include "manual/manualcommands.h"
