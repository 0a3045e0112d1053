#include "parameters/descriptions.h"
