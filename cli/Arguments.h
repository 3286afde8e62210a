#pragma once

// kelvora-cli's command line: a subcommand, its operands and options. Options may stand anywhere after
// the program name, as "--name value" or "--name=value"; "--" ends the options. Parsing fails with a
// German reason; each subcommand has its own help text.

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

namespace cli {

struct CommandSpec {
    QString name;
    QString synopsis;    // after "kelvora-cli "
    QString summary;     // one line for the overview
    QString description; // the rest of its help text
    QStringList flags;   // options without a value
    QStringList values;  // options with a value
    int minOperands = 0; // HOST counted; a subcommand with --all takes one operand less
    int maxOperands = 0;
};

// Every subcommand, in the order of the overview.
const QList<CommandSpec>& Commands();
const CommandSpec* FindCommand(const QString& name);

struct Invocation {
    const CommandSpec* command = nullptr; // null: no subcommand given (help only)
    QStringList operands;
    QSet<QString> flags; // "--json" as "json"
    QHash<QString, QString> values;
    bool help = false;

    bool has(const QString& flag) const { return flags.contains(flag); }
    QString value(const QString& option) const { return values.value(option); }
    bool hasValue(const QString& option) const { return values.contains(option); }
};

// Without the program name. False with the reason on an unknown subcommand or option, a missing value,
// or the wrong number of operands (not checked with --help).
bool ParseArguments(const QStringList& arguments, Invocation& invocation, QString* error);

// The overview (no subcommand) or the subcommand's help.
QString HelpText(const CommandSpec* command);
// "Aufruf: kelvora-cli backup (HOST | --all) DIR" and the hint to --help.
QString UsageHint(const CommandSpec* command);

} // namespace cli
