#include "support/TestSupport.h"

#include <QFile>
#include <QSet>
#include <QTcpServer>

namespace testsupport {

quint16 freeTcpPort() {
    // The system may offer a port it just handed out again once its probe is closed; a test that asks
    // for two ports needs two different ones.
    static QSet<quint16> handedOut;
    for (int attempt = 0; attempt < 100; ++attempt) {
        QTcpServer probe;
        probe.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0);
        const quint16 port = probe.serverPort();
        if (!handedOut.contains(port)) {
            handedOut.insert(port);
            return port;
        }
    }
    return 0;
}

QByteArray pattern(qsizetype size, int seed) {
    QByteArray bytes(size, '\0');
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 31 + seed * 7 + (i >> 8)) & 0xFF);
    return bytes;
}

QString hexDump(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes) == bytes.size();
}

} // namespace testsupport
