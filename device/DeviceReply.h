#pragma once

// What a controller says of itself in its reply to the search.

#include <QString>

#include <cstdint>

struct TDeviceReply {
    std::int32_t Serial = 0;
    bool DHCP = false;
    QString IPAddress;  // at most 15 characters
    QString SubnetMask; // at most 15 characters
    QString Gateway;    // at most 15 characters
    QString Name;       // at most 40 characters
};
