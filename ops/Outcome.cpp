#include "ops/Outcome.h"
