#pragma once

// The code page lives with the FTP client, the lowest layer that sends text to the controller.

#include "net/Cp1252.h"
