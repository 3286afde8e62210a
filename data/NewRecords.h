#pragma once

// The records "Modul hinzufügen" and "Transponder hinzufügen" append to a controller's tables.

#include "data/Records.h"

// All zero but the name "Neues Modul", the unnamed word 1, a pull-in time of 2000 ms and a lock time of
// 1000 ms: address 0, relay on the reader module, standard mode.
TModuleEntry NewModule();

// All zero but the name "Neuer Transponder", an empty binary code (marker in byte 10), active, and the
// restrictions of a new transponder taken from the default block.
TTransponderEntry NewTransponder(const TDefaultRestrictions& defaults);
