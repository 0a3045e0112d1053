#include "parameters/editortable.h"
