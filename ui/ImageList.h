#pragma once

// The one image list of the tree, the page headers and the toolbar, drawn by the program itself.

#include <QIcon>
#include <QPixmap>

namespace images {

enum Index {
    Page = 0, // "Allgemeines", "Logbuch", "Firmwareupdate"
    Logbook = 1,
    Firmware = 2,
    Device = 3,       // a controller
    Root = 4,         // "Gefundene Systeme"
    ModuleFolder = 5, // "Module"
    Module = 6,       // one reader module
    TransponderFolder = 7,
    Transponder = 8, // one transponder
    Information = 9,
    Configuration = 10, // "Konfiguration"
    Backup = 11,
    ModuleOffline = 12, // module status: does not answer
    ModuleOnline = 13,  // module status: operational
    Count
};

QIcon icon(int index);
QPixmap pixmap(int index, int size = 16);

// Toolbar pictures.
QIcon exitIcon();
QIcon refreshIcon();
QIcon manualIcon();
// The product picture of the start page.
QPixmap productPicture();

} // namespace images
