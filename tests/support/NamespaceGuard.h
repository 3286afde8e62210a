#pragma once

#include <QString>

// The programs that use the product's own targets (the search broadcast to 255.255.255.255) run only
// where that reaches nothing but a test's own controllers: inside the network namespace `netns` that
// the wire test made (/run/netns/<netns>), whose interfaces carry no address outside 10.96.0.0/14 (its links
// are 10.97.0.0/24 to 10.99.0.0/24), and with no KELVORA_* override set. Empty when all of that holds, else
// why not.
QString WireNamespaceRefusal(const QString& netns);
