#include "parameters/views.h"
