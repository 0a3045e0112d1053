#include "program/programlines.h"
