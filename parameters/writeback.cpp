#include "parameters/writeback.h"
