#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QString>

namespace testsupport {

// A loopback TCP port that was free a moment ago, never the same twice in one test program.
quint16 freeTcpPort();

// Bytes that vary with their position and the seed, every byte value among them once there are 256:
// what a controller's file or an update image holds in a test, where any byte moved or lost shows.
QByteArray pattern(qsizetype size, int seed = 0);

// Hex dump "00 1A FF" for readable byte comparisons in failure messages.
QString hexDump(const QByteArray& bytes);

// Reads a whole file; empty when it can't be opened.
QByteArray readFile(const QString& path);
bool writeFile(const QString& path, const QByteArray& bytes);

} // namespace testsupport
