#pragma once

// What the controller's command service reports about itself and which faults it shows. The fields are
// read whenever a request comes in, so in-process tests flip them at run time through
// SimController::config().command.

#include <QByteArray>
#include <QCommandLineParser>
#include <QList>
#include <QString>

#include <cstdint>

namespace sim {

struct ModuleStatusEntry {
    std::uint16_t address = 0;
    std::uint8_t ready = 0;
    std::uint8_t sabotage = 0;
    std::uint8_t doorOpen = 0;
};

// A transponder presented at a reader; codeField is the 11-byte field as the controller stores it
// (0xFF in the last byte: right-aligned binary code).
struct CodeReadReport {
    QString readerName;
    std::uint16_t readerAddress = 0;
    QByteArray codeField;
};

struct CommandOptions {
    QString userName = QStringLiteral("admin");
    QString password = QStringLiteral("admin");

    // The device information block (the serial number is the controller's own).
    std::uint8_t firmwareMajor = 1;
    std::uint8_t firmwareMinor = 39;
    std::uint8_t biosAMajor = 0x01;
    std::uint8_t biosAMinor = 0x05;
    std::uint8_t biosBMajor = 0x02;
    std::uint8_t biosBMinor = 0x10;
    std::uint8_t language = 0;      // 0 Deutsch, 1 Englisch, 2 Französisch
    std::uint8_t infoVersion = 0;   // 0 Standard, 1 Angepasst
    std::uint8_t operatingMode = 0; // 0 Offline, 1 Konverter, 2 Konverter mit Rückfall
    std::uint16_t maxModules = 16;
    std::uint16_t maxTransponders = 1000;
    std::uint16_t maxLogEntries = 1500;
    std::uint8_t hardwareRevision = 4;

    // Logbook state of command 106; -1: the controller's own ring state (see LogbookRing.h).
    int logCount = -1;
    int logPosition = -1;

    QList<ModuleStatusEntry> moduleStatus = {
        {0x01, 1, 0, 0},
        {0x02, 1, 0, 1},
        {0x05, 1, 1, 0},
        {0x12, 0, 0, 0},
    };

    // Pushed every codeReadIntervalMs after a login (0: never), in turn.
    int codeReadIntervalMs = 0;
    QList<CodeReadReport> codeReads = {
        {QStringLiteral("Haupteingang"), 0x01, QByteArray::fromHex("00000000000000123456FF")},
        {QStringLiteral("Lager Tor 2"), 0x02, QByteArray("12345\0\0\0\0\0\0", 11)},
    };

    // Shape of the replies: 1024 bytes like the device, or only the bytes of each layout; optionally
    // written in two segments (the first splitAt bytes, the rest splitDelayMs later).
    bool shortReplies = false; // the same as replyLength = kLayoutLength
    // Length of every reply: kLayoutLength for the bytes of its layout, or 2 to 1024 bytes (zero-padded,
    // or cut when shorter than the layout). The login reply may have a length of its own.
    static constexpr int kLayoutLength = 0;
    static constexpr int kAsOtherReplies = -1;
    int replyLength = 1024;
    int loginReplyLength = kAsOtherReplies;
    // Every reply to a command other than 100 goes out in one segment behind a status reply, as when a
    // keep-alive's answer and the next reply leave together.
    bool statusBeforeReplies = false;
    bool splitReplies = false;
    int splitAt = 7;
    int splitDelayMs = 20;

    // Faults.
    QList<int> unansweredCommands;       // command codes left without a reply
    bool refuseFileAccess = false;       // file access answered with 0xFFFF
    bool fileAccessInterimFirst = false; // file access answered with result 2 before the final answer
    int unknownReplyCode = 0; // non-zero: every command after the login gets a reply with this code
    bool refuseName = false;  // name request answered with result 0

    // After the restart command (999) the controller is gone this long: its command and FTP services
    // refuse connections and it answers no search.
    int restartDowntimeMs = 3000;
};

void addCommandOptions(QCommandLineParser& parser);
bool applyCommandOptions(const QCommandLineParser& parser, CommandOptions& options, QString* error);

} // namespace sim
