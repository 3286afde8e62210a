#pragma once

// The user names and passwords kelvora-cli logs in with. They never come from the command line, which
// every user of the machine can read in the process list: either from the environment (KELVORA_USER,
// KELVORA_PASSWORD, the same for every controller) or from a file that only its owner may read, with
// one line per controller serial number and a default line:
//
//     # serial  user  password (the rest of the line)
//     default   admin geheim
//     12AB3     admin anderes Kennwort

#include <QHash>
#include <QString>

#include <cstdint>
#include <optional>

namespace cli {

struct Credential {
    QString userName;
    QString password;
};

class Credentials {
public:
    // From KELVORA_USER and KELVORA_PASSWORD; false with the reason when either is not set.
    bool loadEnvironment(QString* error);
    // From the file; false with the reason when it can't be read, is readable or writable by others
    // than its owner (or is not the caller's own), or has a line that is not an entry.
    bool loadFile(const QString& path, QString* error);

    // The entry of the serial number, else the default entry; nothing when neither exists. A serial
    // of 0 stands for a controller whose serial number is not known yet (default entry only).
    std::optional<Credential> find(std::uint32_t serial) const;
    // Where the credentials came from, for messages.
    QString source() const { return m_source; }

private:
    QHash<std::uint32_t, Credential> m_bySerial;
    std::optional<Credential> m_default;
    QString m_source;
};

// A serial number as "find" shows it: hexadecimal digits only, at most 8 of them, not 0.
bool ParseSerial(const QString& text, std::uint32_t& serial);

// The file's parsing by itself (the mode is checked by loadFile): false with "Zeile N: ..." on a bad line.
bool ParseCredentials(const QByteArray& text, QHash<std::uint32_t, Credential>& bySerial,
                      std::optional<Credential>& fallback, QString* error);

} // namespace cli
