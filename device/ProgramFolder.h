#pragma once

// The folder the local copies of controller files live in.

#include <QString>

// Ends with a separator ('/').
const QString& AppDir();
// Chooses and creates the folder once at start (see ProgramFolder.cpp); SetAppDir overrides it (tests).
void InitAppDir();
void SetAppDir(const QString& dir);
void ClearAppDir();
