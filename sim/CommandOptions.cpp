#include "sim/CommandOptions.h"

#include <QRegularExpression>

#include <utility>

namespace sim {
namespace {

QString opt(const char* name) {
    return QString::fromLatin1(name);
}

bool parseUInt(const QString& text, uint max, uint& value, int base = 10) {
    bool ok = false;
    value = text.trimmed().toUInt(&ok, base);
    return ok && value <= max;
}

template <typename T>
bool takeUInt(const QCommandLineParser& parser, const char* name, uint max, T& field, QString* error) {
    if (!parser.isSet(opt(name)))
        return true;
    uint value = 0;
    if (!parseUInt(parser.value(opt(name)), max, value)) {
        *error = QStringLiteral("bad --%1").arg(opt(name));
        return false;
    }
    field = static_cast<T>(value);
    return true;
}

// "1.05 2.10" or "1.05,2.10": BIOS A and BIOS B, hexadecimal major.minor.
bool parseBios(const QString& text, CommandOptions& options) {
    const QStringList parts = text.split(QRegularExpression(QStringLiteral("[ ,]+")), Qt::SkipEmptyParts);
    if (parts.size() != 2)
        return false;
    std::uint8_t bytes[4] = {};
    for (int i = 0; i < 2; ++i) {
        const QStringList pair = parts.at(i).split(QLatin1Char('.'));
        uint major = 0;
        uint minor = 0;
        if (pair.size() != 2 || !parseUInt(pair.at(0), 255, major, 16) ||
            !parseUInt(pair.at(1), 255, minor, 16))
            return false;
        bytes[2 * i] = static_cast<std::uint8_t>(major);
        bytes[2 * i + 1] = static_cast<std::uint8_t>(minor);
    }
    options.biosAMajor = bytes[0];
    options.biosAMinor = bytes[1];
    options.biosBMajor = bytes[2];
    options.biosBMinor = bytes[3];
    return true;
}

// "1:1:0:0,2:1:0:1": address (hex), ready, sabotage, door open.
bool parseModuleStatus(const QString& text, QList<ModuleStatusEntry>& entries) {
    entries.clear();
    for (const QString& item : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList fields = item.split(QLatin1Char(':'));
        uint values[4] = {};
        if (fields.size() != 4 || !parseUInt(fields.at(0), 0xFFFF, values[0], 16))
            return false;
        for (int i = 1; i < 4; ++i) {
            if (!parseUInt(fields.at(i), 255, values[i]))
                return false;
        }
        entries.append({static_cast<std::uint16_t>(values[0]), static_cast<std::uint8_t>(values[1]),
                        static_cast<std::uint8_t>(values[2]), static_cast<std::uint8_t>(values[3])});
    }
    return entries.size() <= 16;
}

// "1024", "layout" or a length from 2 to 1024.
bool parseReplyLength(const QString& text, int& length) {
    if (text.trimmed() == QLatin1String("layout")) {
        length = CommandOptions::kLayoutLength;
        return true;
    }
    uint value = 0;
    if (!parseUInt(text, 1024, value) || value < 2)
        return false;
    length = static_cast<int>(value);
    return true;
}

} // namespace

void addCommandOptions(QCommandLineParser& parser) {
    parser.addOptions({
        {opt("user"), QStringLiteral("Login user name of the command service."), QStringLiteral("name"),
         QStringLiteral("admin")},
        {opt("password"), QStringLiteral("Login password of the command service."), QStringLiteral("text"),
         QStringLiteral("admin")},
        {opt("firmware"), QStringLiteral("Firmware version major.minor (decimal), e.g. 1.39."),
         QStringLiteral("version")},
        {opt("bios"), QStringLiteral("BIOS versions A and B, hexadecimal, e.g. \"1.05 2.10\"."),
         QStringLiteral("versions")},
        {opt("language"), QStringLiteral("Language byte of the device information."), QStringLiteral("n")},
        {opt("info-version"), QStringLiteral("Version byte of the device information."), QStringLiteral("n")},
        {opt("operating-mode"), QStringLiteral("Operating-mode byte of the device information."),
         QStringLiteral("n")},
        {opt("max-modules"), QStringLiteral("Maximum number of modules."), QStringLiteral("n")},
        {opt("max-transponders"), QStringLiteral("Maximum number of transponders."), QStringLiteral("n")},
        {opt("max-log-entries"), QStringLiteral("Maximum number of logbook entries."), QStringLiteral("n")},
        {opt("hardware-revision"), QStringLiteral("Hardware revision."), QStringLiteral("n")},
        {opt("log-count"), QStringLiteral("Logbook entry count reported by command 106."),
         QStringLiteral("n")},
        {opt("log-position"), QStringLiteral("Logbook ring position reported by command 106."),
         QStringLiteral("n")},
        {opt("module-status"),
         QStringLiteral("Module status records: address(hex):ready:sabotage:door,... (at most 16)."),
         QStringLiteral("list")},
        {opt("code-read-interval"),
         QStringLiteral("Report a transponder code at a reader every this many ms (0: never)."),
         QStringLiteral("ms")},
        {opt("short-replies"), QStringLiteral("Send replies of their layout length instead of 1024 bytes.")},
        {opt("reply-length"),
         QStringLiteral("Length of the replies: 1024 (default), layout, or 2 to 1024 bytes (cut when shorter "
                        "than a reply's layout)."),
         QStringLiteral("length")},
        {opt("login-reply-length"),
         QStringLiteral("Length of the login reply, as --reply-length (default: as the other replies)."),
         QStringLiteral("length")},
        {opt("status-before-replies"),
         QStringLiteral("Send a module status reply in the same segment before every other reply.")},
        {opt("split-replies"), QStringLiteral("Send every reply in two TCP segments.")},
        {opt("split-at"), QStringLiteral("Length of the first segment of a split reply."),
         QStringLiteral("n")},
        {opt("unanswered"), QStringLiteral("Command codes left unanswered, e.g. 4,100."),
         QStringLiteral("list")},
        {opt("refuse-file-access"), QStringLiteral("Answer the file-access request with 0xFFFF.")},
        {opt("file-access-interim"), QStringLiteral("Answer the file-access request with result 2 first.")},
        {opt("unknown-reply"), QStringLiteral("Answer every command after the login with this reply code."),
         QStringLiteral("code")},
        {opt("refuse-name"), QStringLiteral("Refuse the device-name request (result 0).")},
        {opt("restart-downtime"),
         QStringLiteral("Milliseconds a controller stays unreachable after a restart command."),
         QStringLiteral("ms")},
    });
}

bool applyCommandOptions(const QCommandLineParser& parser, CommandOptions& options, QString* error) {
    if (parser.isSet(opt("user")))
        options.userName = parser.value(opt("user"));
    if (parser.isSet(opt("password")))
        options.password = parser.value(opt("password"));
    if (parser.isSet(opt("firmware"))) {
        const QStringList parts = parser.value(opt("firmware")).split(QLatin1Char('.'));
        uint major = 0;
        uint minor = 0;
        if (parts.size() != 2 || !parseUInt(parts.at(0), 255, major) || !parseUInt(parts.at(1), 255, minor)) {
            *error = QStringLiteral("bad --firmware");
            return false;
        }
        options.firmwareMajor = static_cast<std::uint8_t>(major);
        options.firmwareMinor = static_cast<std::uint8_t>(minor);
    }
    if (parser.isSet(opt("bios")) && !parseBios(parser.value(opt("bios")), options)) {
        *error = QStringLiteral("bad --bios");
        return false;
    }
    if (!takeUInt(parser, "language", 255, options.language, error) ||
        !takeUInt(parser, "info-version", 255, options.infoVersion, error) ||
        !takeUInt(parser, "operating-mode", 255, options.operatingMode, error) ||
        !takeUInt(parser, "max-modules", 0xFFFF, options.maxModules, error) ||
        !takeUInt(parser, "max-transponders", 0xFFFF, options.maxTransponders, error) ||
        !takeUInt(parser, "max-log-entries", 0xFFFF, options.maxLogEntries, error) ||
        !takeUInt(parser, "hardware-revision", 255, options.hardwareRevision, error) ||
        !takeUInt(parser, "log-count", 0xFFFF, options.logCount, error) ||
        !takeUInt(parser, "log-position", 0xFFFF, options.logPosition, error) ||
        !takeUInt(parser, "code-read-interval", 3600000, options.codeReadIntervalMs, error) ||
        !takeUInt(parser, "split-at", 1023, options.splitAt, error) ||
        !takeUInt(parser, "unknown-reply", 0xFFFF, options.unknownReplyCode, error) ||
        !takeUInt(parser, "restart-downtime", 600000, options.restartDowntimeMs, error))
        return false;
    if (parser.isSet(opt("module-status")) &&
        !parseModuleStatus(parser.value(opt("module-status")), options.moduleStatus)) {
        *error = QStringLiteral("bad --module-status");
        return false;
    }
    if (parser.isSet(opt("unanswered"))) {
        options.unansweredCommands.clear();
        for (const QString& item :
             parser.value(opt("unanswered")).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            uint code = 0;
            if (!parseUInt(item, 0xFFFF, code)) {
                *error = QStringLiteral("bad --unanswered");
                return false;
            }
            options.unansweredCommands.append(static_cast<int>(code));
        }
    }
    for (const auto& [name, field] :
         {std::pair<const char*, int*>{"reply-length", &options.replyLength},
          std::pair<const char*, int*>{"login-reply-length", &options.loginReplyLength}}) {
        if (parser.isSet(opt(name)) && !parseReplyLength(parser.value(opt(name)), *field)) {
            *error = QStringLiteral("bad --%1").arg(opt(name));
            return false;
        }
    }
    options.shortReplies = options.shortReplies || parser.isSet(opt("short-replies"));
    options.statusBeforeReplies = options.statusBeforeReplies || parser.isSet(opt("status-before-replies"));
    options.splitReplies = options.splitReplies || parser.isSet(opt("split-replies"));
    options.refuseFileAccess = options.refuseFileAccess || parser.isSet(opt("refuse-file-access"));
    options.fileAccessInterimFirst =
        options.fileAccessInterimFirst || parser.isSet(opt("file-access-interim"));
    options.refuseName = options.refuseName || parser.isSet(opt("refuse-name"));
    return true;
}

} // namespace sim
