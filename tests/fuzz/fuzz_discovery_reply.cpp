// A search reply as it arrives in a datagram: cut to the receive buffer, decoded from Windows-1252, split
// by TIPCInfo::ParseDeviceReply. Oracles: a reference splitter written independently (cursor over the
// text instead of cutting it), the exact conversion error for a serial that is no hex number, and that
// writing the parsed fields back as a reply parses to the same fields.

#include "FuzzSupport.h"

#include "device/Conversions.h"
#include "device/Cp1252.h"
#include "device/Discovery.h"

#include <optional>

namespace {

struct Reference {
    std::optional<std::uint32_t> serial; // none: not a hex number
    QString serialDigits;
    bool dhcp = false;
    QString fields[3];
    QString name;
};

Reference referenceSplit(const QString& text) {
    Reference r;
    qsizetype at = 0;
    const qsizetype size = text.size();
    const auto skipSpaces = [&] {
        while (at < size && text.at(at) == QLatin1Char(' '))
            ++at;
    };
    // A field runs to the next space; when the rest has none, or starts with one, the field is empty and
    // the rest stays for the next one.
    const auto field = [&]() -> QString {
        const qsizetype space = text.indexOf(QLatin1Char(' '), at);
        QString f;
        if (space > at) {
            f = text.mid(at, space - at);
            at = space;
        }
        skipSpaces();
        return f;
    };
    r.serialDigits = field();
    if (!r.serialDigits.isEmpty() && r.serialDigits.size() <= 8) {
        bool ok = true;
        for (QChar c : r.serialDigits)
            ok = ok && ((c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                        (c >= QLatin1Char('A') && c <= QLatin1Char('F')) ||
                        (c >= QLatin1Char('a') && c <= QLatin1Char('f')));
        if (ok)
            r.serial = r.serialDigits.toUInt(nullptr, 16);
    }
    if (at < size) {
        r.dhcp = text.at(at) == QLatin1Char('1');
        ++at;
    }
    skipSpaces();
    for (QString& f : r.fields)
        f = field().left(15);
    r.name = text.mid(at).left(40);
    return r;
}

void compare(const TDeviceReply& got, const Reference& want, const QString& reply) {
    fuzz::check(want.serial.has_value(), "parsed a serial the reference rejects", reply);
    fuzz::check(static_cast<std::uint32_t>(got.Serial) == *want.serial, "serial", reply);
    fuzz::check(got.DHCP == want.dhcp, "DHCP flag", reply);
    fuzz::check(got.IPAddress == want.fields[0], "IP address", reply);
    fuzz::check(got.SubnetMask == want.fields[1], "subnet mask", reply);
    fuzz::check(got.Gateway == want.fields[2], "gateway", reply);
    fuzz::check(got.Name == want.name, "name", reply);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The search reads at most one buffer's worth of a datagram.
    const auto length = static_cast<qsizetype>(std::min<std::size_t>(size, TIPCInfo::kBufferSize));
    const QString reply = FromAnsi(reinterpret_cast<const char*>(data), length);
    fuzz::check(reply.size() == length, "one character per byte", reply);

    const Reference want = referenceSplit(reply);
    TDeviceReply got;
    try {
        got = TIPCInfo::ParseDeviceReply(reply);
    } catch (const EConvertError& e) {
        fuzz::check(!want.serial, "conversion error for a hex serial", reply);
        // The message is a C string: a NUL among the digits ends it there.
        QString expected = QStringLiteral("'$%1' is not a valid integer value").arg(want.serialDigits);
        expected.truncate(expected.indexOf(QChar(0)) < 0 ? expected.size() : expected.indexOf(QChar(0)));
        fuzz::check(QString::fromStdString(e.what()) == expected, "conversion error text",
                    QString::fromStdString(e.what()));
        return 0;
    }
    compare(got, want, reply);

    // The fields as a controller would send them again. Only when every address field is there: an empty
    // one has no text to stand between its spaces.
    if (!got.IPAddress.isEmpty() && !got.SubnetMask.isEmpty() && !got.Gateway.isEmpty()) {
        const QString again = QStringLiteral("%1 %2 %3 %4 %5 %6")
                                  .arg(QString::number(static_cast<std::uint32_t>(got.Serial), 16))
                                  .arg(got.DHCP ? 1 : 0)
                                  .arg(got.IPAddress, got.SubnetMask, got.Gateway, got.Name);
        const TDeviceReply reparsed = TIPCInfo::ParseDeviceReply(again);
        fuzz::check(reparsed.Serial == got.Serial && reparsed.DHCP == got.DHCP &&
                        reparsed.IPAddress == got.IPAddress && reparsed.SubnetMask == got.SubnetMask &&
                        reparsed.Gateway == got.Gateway && reparsed.Name == got.Name,
                    "written back and parsed again", again);
    }
    return 0;
}
