#include "cli/Console.h"

#include <QTextStream>

#include <cstdio>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace cli {
namespace {

bool stderrIsTerminal() {
#ifdef Q_OS_WIN
    return _isatty(_fileno(stderr)) != 0;
#else
    return ::isatty(STDERR_FILENO) != 0;
#endif
}

QTextStream& standardOut() {
    static QTextStream stream(stdout);
    return stream;
}

QTextStream& standardErr() {
    static QTextStream stream(stderr);
    return stream;
}

} // namespace

void Console::print(const QString& line) const {
    if (out)
        out(line);
}

void Console::error(const QString& text) const {
    if (err)
        err(ConsoleText(text));
}

void Console::step(const QString& text) const {
    if (progress)
        progress(text);
}

Console Console::standard() {
    Console console;
    console.out = [](const QString& line) { standardOut() << line << Qt::endl; };
    console.err = [](const QString& text) { standardErr() << text << Qt::endl; };
    if (stderrIsTerminal())
        console.progress = [](const QString& text) { standardErr() << text << Qt::endl; };
    return console;
}

QString ConsoleText(const QString& text) {
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return lines;
}

} // namespace cli
