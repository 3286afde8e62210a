#pragma once

// Qt's own parts of the user interface in German ("Ja", "Nein", "Abbrechen", "Öffnen", "Speichern").
// True when Qt's German translation was found and installed.
bool InstallGermanTranslation();
