#pragma once

// The file a user chose in a save dialog: its default extension and the message when it can't be
// written. Shared by every command that saves a file of its own (logbook export, overviews).

#include <QString>

// The save dialog's default extension: added to a typed name that has none.
QString WithDefaultExtension(const QString& name, const QString& extension);

// "Die Datei "…" kann nicht geschrieben werden." with the path as the platform writes it.
QString FileNotWrittenText(const QString& path);
