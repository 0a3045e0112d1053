#include "program/programfile.h"
