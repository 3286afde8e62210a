#pragma once

// The file a user chose in a save dialog: the message when it can't be written. Shared by every command
// that saves a file of its own (logbook export, overviews).

#include <QString>

// "Die Datei "…" kann nicht geschrieben werden." with the path as the platform writes it.
QString FileNotWrittenText(const QString& path);
