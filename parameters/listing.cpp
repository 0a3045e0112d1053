#include "parameters/listing.h"
