#include "sim/SimOptions.h"

#include "sim/DemoData.h"

#include <QCommandLineParser>
#include <QDir>

namespace sim {
namespace {

const QStringList kDemoNames = {
    QStringLiteral("Haupteingang"), QStringLiteral("Lager Tor 2"), QStringLiteral("Büro Verwaltung"),
    QStringLiteral("Werkstatt"),    QStringLiteral("Tiefgarage"),  QStringLiteral("Serverraum"),
};

bool parsePort(const QString& text, quint16& port) {
    bool ok = false;
    const uint value = text.toUInt(&ok);
    if (!ok || value > 65535)
        return false;
    port = static_cast<quint16>(value);
    return true;
}

} // namespace

bool parseSimOptions(const QStringList& arguments, SimSetup& setup, QString* error) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Simulated Kelvora compact controllers on loopback."));
    parser.addHelpOption();
    const QCommandLineOption controllers(QStringLiteral("controllers"),
                                         QStringLiteral("Number of controllers."), QStringLiteral("n"),
                                         QStringLiteral("3"));
    const QCommandLineOption discovery(QStringLiteral("discovery"),
                                       QStringLiteral("Address and port of the search service."),
                                       QStringLiteral("host:port"), QStringLiteral("127.0.0.1:8001"));
    const QCommandLineOption firstAddress(QStringLiteral("first-address"),
                                          QStringLiteral("Loopback address of the first controller; the "
                                                         "others follow (127.0.0.2, 127.0.0.3, ...)."),
                                          QStringLiteral("address"), QStringLiteral("127.0.0.2"));
    const QCommandLineOption commandPort(QStringLiteral("command-port"), QStringLiteral("TCP command port."),
                                         QStringLiteral("port"), QStringLiteral("1010"));
    const QCommandLineOption ftpPort(QStringLiteral("ftp-port"), QStringLiteral("FTP port."),
                                     QStringLiteral("port"), QStringLiteral("21"));
    const QCommandLineOption dataDir(QStringLiteral("data-dir"),
                                     QStringLiteral("Folder with one subfolder per controller "
                                                    "(temporary folders when not given)."),
                                     QStringLiteral("dir"));
    const QCommandLineOption serial(QStringLiteral("serial"),
                                    QStringLiteral("Serial number of the first controller (hex)."),
                                    QStringLiteral("hex"), QStringLiteral("12AB3"));
    const QCommandLineOption name(QStringLiteral("name"), QStringLiteral("Name of every controller."),
                                  QStringLiteral("text"));
    const QCommandLineOption dhcp(QStringLiteral("dhcp"), QStringLiteral("Controllers report DHCP in use."));
    const QCommandLineOption noDemo(QStringLiteral("no-demo-data"),
                                    QStringLiteral("Do not fill empty data folders with demo files."));
    const QCommandLineOption demoModules(QStringLiteral("demo-modules"),
                                         QStringLiteral("Records of the demo module table (16 to 20; beyond "
                                                        "16 the last is a new module at address 0)."),
                                         QStringLiteral("n"), QStringLiteral("16"));
    const QCommandLineOption replies(QStringLiteral("replies-per-search"),
                                     QStringLiteral("Answer every search this many times."),
                                     QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption lifetime(QStringLiteral("lifetime"),
                                      QStringLiteral("Stop by itself after this many seconds (0: never)."),
                                      QStringLiteral("seconds"), QStringLiteral("0"));
    parser.addOptions({controllers, discovery, firstAddress, commandPort, ftpPort, dataDir, serial, name,
                       dhcp, noDemo, replies, lifetime});
    parser.addOption(demoModules);
    addCommandOptions(parser);
    addFtpOptions(parser);

    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return false;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        *error = parser.helpText();
        return false;
    }

    const QString target = parser.value(discovery);
    const qsizetype colon = target.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0 || !parsePort(target.mid(colon + 1), setup.discoveryPort) ||
        setup.discoveryAddress.setAddress(target.left(colon)) == false) {
        *error = QStringLiteral("bad --discovery: ") + target;
        return false;
    }
    bool ok = false;
    const int count = parser.value(controllers).toInt(&ok);
    if (!ok || count < 0 || count > 200) {
        *error = QStringLiteral("bad --controllers");
        return false;
    }
    QHostAddress first;
    if (!first.setAddress(parser.value(firstAddress)) || first.protocol() != QAbstractSocket::IPv4Protocol) {
        *error = QStringLiteral("bad --first-address");
        return false;
    }
    ControllerConfig base;
    if (!parsePort(parser.value(commandPort), base.commandPort) ||
        !parsePort(parser.value(ftpPort), base.ftpPort)) {
        *error = QStringLiteral("bad port");
        return false;
    }
    const quint32 firstSerial = parser.value(serial).toUInt(&ok, 16);
    if (!ok) {
        *error = QStringLiteral("bad --serial");
        return false;
    }
    setup.repliesPerSearch = qMax(1, parser.value(replies).toInt());
    setup.lifetimeSeconds = qMax(0, parser.value(lifetime).toInt());
    base.dhcp = parser.isSet(dhcp);
    base.demoData = !parser.isSet(noDemo);
    base.demoModules = parser.value(demoModules).toInt(&ok);
    if (!ok || base.demoModules < 16 || base.demoModules > 20) {
        *error = QStringLiteral("bad --demo-modules");
        return false;
    }
    if (!applyCommandOptions(parser, base.command, error) || !applyFtpOptions(parser, base.ftp, error))
        return false;

    setup.controllers.clear();
    for (int i = 0; i < count; ++i) {
        ControllerConfig config = base;
        config.address = QHostAddress(first.toIPv4Address() + static_cast<quint32>(i));
        config.ip = config.address.toString();
        config.gateway = QStringLiteral("127.0.0.1");
        config.serial = firstSerial + static_cast<quint32>(i);
        config.name = parser.isSet(name) ? parser.value(name) : kDemoNames.at(i % kDemoNames.size());
        // The demo tables' modules report their status under their own addresses.
        if (base.demoData && !parser.isSet(QStringLiteral("module-status")))
            config.command.moduleStatus = demoModuleStatus(i);
        if (parser.isSet(dataDir)) {
            config.dataDir = QDir(parser.value(dataDir)).filePath(QStringLiteral("controller-%1").arg(i + 1));
            QDir().mkpath(config.dataDir);
        }
        setup.controllers.push_back(config);
    }
    return true;
}

} // namespace sim
