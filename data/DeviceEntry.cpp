#include "data/DeviceEntry.h"
