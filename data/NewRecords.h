#pragma once

// The records "Modul hinzufügen" and "Transponder hinzufügen" append to a controller's tables.

#include "data/Records.h"

// All zero but the name "Neues Modul", the unnamed word 1, a pull-in time of 2000 ms and a lock time of
// 1000 ms: address 0, relay on the reader module, standard mode.
TModuleEntry NewModule();

// The form in which a controller stores transponder codes (data/Records.h): its firmware decides.
enum class CodeForm { Binary, Text };

// All zero but the name "Neuer Transponder", an empty code in the owner controller's form (binary: the
// marker in byte 10; text: all 11 bytes zero), active, and the restrictions of a new transponder taken
// from the default block. A text-form controller would otherwise be sent the binary marker of a code
// nobody typed.
TTransponderEntry NewTransponder(const TDefaultRestrictions& defaults, CodeForm form);
