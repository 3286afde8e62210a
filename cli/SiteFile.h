#pragma once

// The controllers of a site that the search may not reach (a routed subnet, a firewall between): a text
// file named by --site or KELVORA_SITE, one controller per line,
//
//     # address    serial  name (the rest of the line)
//     10.20.0.15   12AB7   Lager Nord
//     10.20.0.16                          (serial and name are optional; "-" leaves the serial out)
//
// Empty lines and lines starting with # are skipped. Each is asked directly at its address besides the
// broadcast, merged with the search's answers by serial number (or address), and taken by --all; one
// that does not answer is still worked on, addressed directly like a manually added controller.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

namespace cli {

struct SiteController {
    QString address;          // dotted IPv4
    std::uint32_t serial = 0; // 0: not given (known after the login)
    QString name;             // empty: not given
};

// False with "Zeile N: ..." on a line that is not a controller, or that names an address or a serial
// number a line before it named.
bool ParseSiteFile(const QByteArray& text, std::vector<SiteController>& controllers, QString* error);

// Reads the file (an empty path: there is none, true with nothing read). False with the message.
bool LoadSiteFile(const QString& path, std::vector<SiteController>& controllers, QString* error);

} // namespace cli
