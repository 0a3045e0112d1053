#include "parameters/parameterfile.h"
