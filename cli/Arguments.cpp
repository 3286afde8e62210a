#include "cli/Arguments.h"

namespace cli {
namespace {

const QString kHostText = QStringLiteral(
    "HOST ist die IP-Adresse eines Kelvora compact (z. B. 192.168.0.10) oder seine Seriennummer "
    "(hexadezimal, wie \"find\" sie zeigt). Vor jeder Operation wird das Netz durchsucht: ein gefundenes "
    "Gerät wird mit seinem Namen verwendet; eine IP-Adresse, die die Suche nicht findet, wird direkt "
    "angesprochen (wie ein manuell eingetragenes Gerät), eine Seriennummer muss gefunden werden.");

const QString kCredentialsText = QStringLiteral(
    "Zugangsdaten stehen nie auf der Kommandozeile: entweder KELVORA_USER und KELVORA_PASSWORD in der "
    "Umgebung, oder --credentials DATEI mit einer Zeile je Gerät \"SERIENNUMMER BENUTZER KENNWORT\" und "
    "einer Zeile \"default BENUTZER KENNWORT\" (Kennwort: der Rest der Zeile; # beginnt einen Kommentar). "
    "Die Datei darf nur für ihren Besitzer lesbar sein (chmod 600), sonst wird sie abgelehnt.");

const QString kExitText =
    QStringLiteral("Rückgabewerte: 0 erfolgreich, 1 Operation fehlgeschlagen (bei --all: "
                   "auf mindestens einem Gerät), 2 Aufruf fehlerhaft.");

const QString kCredentialsOption = QStringLiteral("credentials");
const QString kJobsOption = QStringLiteral("jobs");
const QString kSiteOption = QStringLiteral("site");

const QString kSiteText = QStringLiteral(
    "Geräte, die die Suche nicht erreicht (ein anderes Teilnetz hinter einem Router): --site DATEI oder "
    "KELVORA_SITE mit einer Zeile je Gerät \"IP-ADRESSE [SERIENNUMMER [NAME]]\" (\"-\" statt einer "
    "Seriennummer lässt sie offen; # beginnt einen Kommentar). Jedes wird bei der Suche direkt gefragt, "
    "mit den Antworten der Suche nach Seriennummer zusammengeführt und von --all mitbearbeitet; ein Gerät, "
    "das nicht antwortet, wird direkt angesprochen, und scheitert es, nennt es die Zusammenfassung. Eine "
    "Zeile, die kein Gerät ist, beendet den Aufruf mit 2 und ihrer Zeilennummer.");

const QString kAllText = QStringLiteral(
    "Mit --all werden alle gefundenen Geräte bearbeitet, bis zu N gleichzeitig (--jobs N, 1 bis 64, "
    "Vorgabe 8; --jobs 1: eines nach dem anderen), jedes mit einer eigenen Verbindung. Die Meldungen "
    "und die Zusammenfassung erscheinen nach Seriennummern geordnet.");

QList<CommandSpec> buildCommands() {
    return {
        {QStringLiteral("find"),
         QStringLiteral("find [--json]"),
         QStringLiteral("sucht alle Kelvora compact im Netz"),
         QStringLiteral(
             "Eine Zeile je Gerät: Seriennummer, DHCP (1 oder 0), IP-Adresse, Subnet Mask, Gateway, "
             "Name. Mit --json ein JSON-Array. Keine Zugangsdaten nötig."),
         {QStringLiteral("json")},
         {},
         0,
         0},
        {QStringLiteral("ipconfig"),
         QStringLiteral("ipconfig SERIENNUMMER (--dhcp | --ip A --mask M --gateway G)"),
         QStringLiteral("setzt die IP-Konfiguration eines Geräts"),
         QStringLiteral("Sendet die IP-Konfiguration zweimal an das Gerät mit dieser Seriennummer. Keine "
                        "Zugangsdaten nötig. Das Gerät übernimmt die Adressen selbst; eine neue Suche zeigt "
                        "sie."),
         {QStringLiteral("dhcp")},
         {QStringLiteral("ip"), QStringLiteral("mask"), QStringLiteral("gateway")},
         1,
         1},
        {QStringLiteral("info"),
         QStringLiteral("info HOST [--json]"),
         QStringLiteral("meldet sich an und zeigt die Geräteinformationen"),
         QStringLiteral("Die Zeilen der Seite \"Allgemein\". Mit --json als JSON-Objekt."),
         {QStringLiteral("json")},
         {},
         1,
         1},
        {QStringLiteral("backup"),
         QStringLiteral("backup (HOST | --all [--jobs N]) DIR"),
         QStringLiteral("sichert die Konfiguration (module.dat, trans.dat)"),
         QStringLiteral(
             "Legt die beiden Dateien in DIR/<Seriennummer>-<Name>/<Datum-Uhrzeit>/ ab. Mit --all "
             "werden alle gefundenen Geräte gesichert; ein Fehler bricht nicht ab, am Ende steht eine "
             "Zusammenfassung."),
         {QStringLiteral("all")},
         {kJobsOption},
         2,
         2},
        {QStringLiteral("restore"),
         QStringLiteral("restore HOST DIR"),
         QStringLiteral("spielt eine Sicherung zurück"),
         QStringLiteral("Überträgt module.dat und trans.dat aus DIR auf das Gerät. Danach muss das Gerät neu "
                        "gestartet werden (restart)."),
         {},
         {},
         2,
         2},
        {QStringLiteral("update"),
         QStringLiteral("update HOST DATEI"),
         QStringLiteral("überträgt ein Firmware- oder BIOS-Update"),
         QStringLiteral("Legt die Datei unter ihrem Namen im Ordner /firmware/ des Geräts ab; installiert "
                        "wird sie beim nächsten Neustart (restart)."),
         {},
         {},
         2,
         2},
        {QStringLiteral("restart"),
         QStringLiteral("restart HOST"),
         QStringLiteral("startet ein Gerät neu"),
         QStringLiteral("Das Gerät ist danach etwa 10 Sekunden nicht erreichbar."),
         {},
         {},
         1,
         1},
        {QStringLiteral("log"),
         QStringLiteral("log (HOST | --all [--jobs N]) --export DATEI|DIR [--delete-after]"),
         QStringLiteral("liest und exportiert das Logbuch"),
         QStringLiteral(
             "Schreibt das Logbuch im Exportformat des Programms (Windows-1252, Semikolon). Mit einem "
             "Ordner als Ziel (bei --all immer): DIR/<Seriennummer>-<Name>/<Datum-Uhrzeit>.txt. "
             "--delete-after löscht das Logbuch auf dem Gerät erst, wenn die Exportdatei vollständig "
             "geschrieben ist und alle gelesenen Einträge enthält, und nur, wenn seit dem Lesen "
             "kein neuer Eintrag dazugekommen ist."),
         {QStringLiteral("all"), QStringLiteral("delete-after")},
         {QStringLiteral("export"), kJobsOption},
         1,
         1},
        {QStringLiteral("status"),
         QStringLiteral("status HOST"),
         QStringLiteral("zeigt den Status der Lesemodule"),
         QStringLiteral("Eine Zeile je Modul: Name, Adresse, Status (durch Tabulatoren getrennt). Die Namen "
                        "stammen aus der Modultabelle des Geräts, die dazu geladen wird."),
         {},
         {},
         1,
         1},
        {QStringLiteral("report"),
         QStringLiteral("report (DIR | HOST) (--text DATEI | --csv DATEI)"),
         QStringLiteral("erstellt die Übersicht aller Transponder"),
         QStringLiteral(
             "Die Text- oder Excelübersicht wie im Programm. Ist DIR ein vorhandener Ordner, werden "
             "module.dat und trans.dat dieser Sicherung gelesen (kein Gerät nötig); sonst werden "
             "die Tabellen von HOST geladen. --text und --csv dürfen beide angegeben werden."),
         {},
         {QStringLiteral("text"), QStringLiteral("csv")},
         1,
         1},
        {QStringLiteral("transponders"),
         QStringLiteral("transponders export (HOST | DIR) DATEI | transponders import (HOST | DIR) DATEI "
                        "[--remove-missing] [--dry-run] [--activate]"),
         QStringLiteral("exportiert und importiert die Transponderliste"),
         QStringLiteral(
             "export schreibt alle Transponder als Transponderliste (eine Zeile je Transponder, Semikolon, "
             "Windows-1252), aus den Tabellen von HOST oder eines Sicherungsordners DIR. import liest eine "
             "solche Liste in die Tabellen: Zeilen werden über den Transpondercode zugeordnet, unbekannte "
             "Codes "
             "werden neue Transponder (mit allen Stunden aller Tage und ohne Modul, wo die Zeile nichts "
             "sagt), "
             "Transponder, die die Liste nicht nennt, bleiben, außer mit --remove-missing. Jede Zeile wird "
             "geprüft, bevor sich etwas ändert; eine fehlerhafte Zeile wird mit Zeile, Spalte und Grund "
             "genannt, "
             "und nichts wird übernommen. Bei einem Gerät werden die Tabellen geladen, zusammengeführt und "
             "gespeichert, mit --activate danach aktiviert; scheitert das Speichern, werden die vorherigen "
             "Tabellen wieder gespeichert. --dry-run zeigt nur, was sich ändern würde, und sendet nichts, "
             "was das Gerät ändert."),
         {QStringLiteral("remove-missing"), QStringLiteral("dry-run"), QStringLiteral("activate")},
         {},
         3,
         3},
        {QStringLiteral("diff"),
         QStringLiteral("diff A B [--json]"),
         QStringLiteral("vergleicht zwei Konfigurationen"),
         QStringLiteral(
             "A und B sind je ein HOST (seine Tabellen jetzt), ein Sicherungsordner oder eine "
             "Transponderliste "
             "(sie wird mit den Modulen der anderen Seite gelesen; eine Seite muss daher ein Gerät oder ein "
             "Ordner sein). Eine Zeile je Unterschied von A nach B: Module über die Adresse, Transponder "
             "über "
             "den Code zugeordnet. Mit --json als JSON-Objekt. Rückgabewert 0: gleich, 1: verschieden, 2: "
             "Aufruf fehlerhaft oder eine Seite konnte nicht gelesen werden."),
         {QStringLiteral("json")},
         {},
         2,
         2},
    };
}

// "--credentials" and "--site" are known to every subcommand.
bool takesValue(const CommandSpec* command, const QString& name) {
    return name == kCredentialsOption || name == kSiteOption || (command && command->values.contains(name));
}

bool anyTakesValue(const QString& name) {
    if (name == kCredentialsOption || name == kSiteOption)
        return true;
    for (const CommandSpec& command : Commands()) {
        if (command.values.contains(name))
            return true;
    }
    return false;
}

bool isFlag(const CommandSpec* command, const QString& name) {
    return name == QStringLiteral("help") || (command && command->flags.contains(name));
}

} // namespace

const QList<CommandSpec>& Commands() {
    static const QList<CommandSpec> commands = buildCommands();
    return commands;
}

const CommandSpec* FindCommand(const QString& name) {
    for (const CommandSpec& command : Commands()) {
        if (command.name == name)
            return &command;
    }
    return nullptr;
}

bool ParseArguments(const QStringList& arguments, Invocation& invocation, QString* error) {
    invocation = Invocation();
    // The subcommand is the first word that is neither an option nor an option's value; which options
    // take a value is known before the subcommand is, since no name means two things.
    QSet<qsizetype> consumed;
    qsizetype commandAt = -1;
    for (qsizetype i = 0; i < arguments.size() && commandAt < 0; ++i) {
        const QString& a = arguments[i];
        if (a == QStringLiteral("--")) {
            if (i + 1 < arguments.size())
                commandAt = i + 1;
            break;
        }
        if (!a.startsWith(QLatin1Char('-')) || a == QStringLiteral("-")) {
            commandAt = i;
            break;
        }
        if (!a.contains(QLatin1Char('=')) && anyTakesValue(a.mid(2)))
            ++i;
    }
    const CommandSpec* command = nullptr;
    if (commandAt >= 0) {
        command = FindCommand(arguments[commandAt]);
        if (!command) {
            *error = QStringLiteral("Unbekannter Befehl: %1").arg(arguments[commandAt]);
            return false;
        }
    }
    invocation.command = command;

    if (commandAt >= 0)
        consumed.insert(commandAt);
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (consumed.contains(i))
            continue;
        const QString& argument = arguments[i];
        if (optionsEnded || !argument.startsWith(QLatin1Char('-')) || argument == QStringLiteral("-")) {
            invocation.operands << argument;
            continue;
        }
        if (argument == QStringLiteral("--")) {
            optionsEnded = true;
            continue;
        }
        if (argument == QStringLiteral("-h")) {
            invocation.help = true;
            continue;
        }
        if (!argument.startsWith(QStringLiteral("--"))) {
            *error = QStringLiteral("Unbekannte Option: %1").arg(argument);
            return false;
        }
        const qsizetype equals = argument.indexOf(QLatin1Char('='));
        const QString name = argument.mid(2, equals < 0 ? -1 : equals - 2);
        if (isFlag(command, name)) {
            if (equals >= 0) {
                *error = QStringLiteral("Die Option --%1 hat keinen Wert.").arg(name);
                return false;
            }
            if (name == QStringLiteral("help"))
                invocation.help = true;
            else
                invocation.flags.insert(name);
            continue;
        }
        if (!takesValue(command, name)) {
            *error = QStringLiteral("Unbekannte Option: --%1").arg(name);
            return false;
        }
        QString value;
        if (equals >= 0) {
            value = argument.mid(equals + 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
            consumed.insert(i);
        } else {
            *error = QStringLiteral("Die Option --%1 verlangt einen Wert.").arg(name);
            return false;
        }
        if (invocation.values.contains(name)) {
            *error = QStringLiteral("Die Option --%1 steht doppelt.").arg(name);
            return false;
        }
        invocation.values.insert(name, value);
    }
    if (invocation.help)
        return true;
    if (!command) {
        *error = QStringLiteral("Kein Befehl angegeben.");
        return false;
    }
    // With --all the HOST operand is left out.
    const bool all = invocation.flags.contains(QStringLiteral("all"));
    const qsizetype n = invocation.operands.size() + (all ? 1 : 0);
    if (all && n > command->maxOperands) {
        *error = QStringLiteral("Mit --all wird kein HOST angegeben: %1").arg(invocation.operands.first());
        return false;
    }
    if (n < command->minOperands) {
        *error = QStringLiteral("Zu wenige Angaben für \"%1\".").arg(command->name);
        return false;
    }
    if (n > command->maxOperands) {
        *error =
            QStringLiteral("Zu viele Angaben für \"%1\": %2").arg(command->name, invocation.operands.last());
        return false;
    }
    // An empty folder or file name would mean the current folder or the file-system root.
    if (invocation.operands.contains(QString())) {
        *error = QStringLiteral("Leere Angabe für \"%1\".").arg(command->name);
        return false;
    }
    return true;
}

QString HelpText(const CommandSpec* command) {
    QStringList lines;
    if (command) {
        lines << QStringLiteral("Aufruf: kelvora-cli %1 [--credentials DATEI] [--site DATEI]")
                     .arg(command->synopsis)
              << QString() << command->summary.left(1).toUpper() + command->summary.mid(1) + QLatin1Char('.')
              << command->description;
        if (command->flags.contains(QStringLiteral("all")))
            lines << QString() << kAllText;
        if (command->synopsis.contains(QStringLiteral("HOST")))
            lines << QString() << kHostText << QString() << kCredentialsText;
        if (command->synopsis.contains(QStringLiteral("HOST")) || command->name == QStringLiteral("find"))
            lines << QString() << kSiteText;
        lines << QString() << kExitText;
        return lines.join(QLatin1Char('\n'));
    }
    lines << QStringLiteral("Aufruf: kelvora-cli BEFEHL [OPTIONEN]") << QString()
          << QStringLiteral("Alle Operationen des Kelvora compact Administrators ohne Fenster, auch für alle "
                            "Geräte eines Standorts auf einmal.")
          << QString() << QStringLiteral("Befehle:");
    for (const CommandSpec& c : Commands())
        lines << QStringLiteral("  %1  %2").arg(c.name.leftJustified(9), c.summary);
    lines << QString() << QStringLiteral("kelvora-cli BEFEHL --help zeigt die Hilfe eines Befehls.")
          << QString() << kHostText << QString() << kCredentialsText << QString() << kSiteText << QString()
          << QStringLiteral(
                 "Fortschritt erscheint auf der Standardfehlerausgabe, wenn sie ein Terminal ist. "
                 "Ziele im Netz wie beim Programm: KELVORA_DISCOVERY_TARGET, KELVORA_COMMAND_PORT, "
                 "KELVORA_FTP_PORT.")
          << QString() << kExitText;
    return lines.join(QLatin1Char('\n'));
}

QString UsageHint(const CommandSpec* command) {
    if (command)
        return QStringLiteral("Aufruf: kelvora-cli %1\n\"kelvora-cli %2 --help\" zeigt die Hilfe.")
            .arg(command->synopsis, command->name);
    return QStringLiteral("\"kelvora-cli --help\" zeigt die Befehle.");
}

} // namespace cli
