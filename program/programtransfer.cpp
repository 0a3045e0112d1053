#include "program/programtransfer.h"
