#include "sim/FtpSession.h"

#include "sim/SimController.h"

#include "device/Cp1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace sim {
namespace {

constexpr qsizetype kMaxCommandLine = 4096;

QString argumentOf(const QByteArray& line) {
    const qsizetype space = line.indexOf(' ');
    return space < 0 ? QString() : FromAnsi(line.mid(space + 1));
}

} // namespace

FtpSession::FtpSession(SimController& controller, QTcpSocket* control)
    : m_controller(controller), m_control(control) {
    m_control->setParent(nullptr);
    // Replies go out at once: with Nagle's algorithm a "150" followed by a "226" waits for the client's
    // delayed acknowledgement, 40 ms per transfer.
    m_control->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_slowTimer.setTimerType(Qt::PreciseTimer);
    m_commitTimer.setSingleShot(true);
    connect(m_control.get(), &QTcpSocket::readyRead, this, &FtpSession::onControlReadyRead);
    connect(m_control.get(), &QTcpSocket::disconnected, this, &FtpSession::end);
    connect(&m_slowTimer, &QTimer::timeout, this, &FtpSession::onSlowTick);
    connect(&m_commitTimer, &QTimer::timeout, this, &FtpSession::completeUpload);
    reply(QStringLiteral("220 Kelvora compact FTP server ready."));
}

FtpSession::~FtpSession() {
    dropData();
    m_control->disconnect(this);
    m_control->abort();
}

void FtpSession::end() {
    if (m_ended)
        return;
    m_ended = true;
    if (m_kind == Kind::Stor)
        m_controller.logEvent(QStringLiteral("ftp upload discarded ") + m_name);
    dropData();
    dropPassive();
    Q_EMIT ended();
}

void FtpSession::reply(const QString& line) {
    if (m_control->state() == QAbstractSocket::ConnectedState)
        m_control->write(line.toLatin1() + "\r\n");
}

void FtpSession::onControlReadyRead() {
    m_buffer += m_control->readAll();
    for (;;) {
        const qsizetype end = m_buffer.indexOf('\n');
        if (end < 0)
            break;
        QByteArray line = m_buffer.left(end);
        m_buffer.remove(0, end + 1);
        if (line.endsWith('\r'))
            line.chop(1);
        handle(line);
        if (m_ended)
            return;
    }
    if (m_buffer.size() > kMaxCommandLine) {
        reply(QStringLiteral("500 Command line too long."));
        m_control->disconnectFromHost();
    }
}

void FtpSession::handle(const QByteArray& line) {
    const QByteArray verb = line.left(line.indexOf(' ') < 0 ? line.size() : line.indexOf(' ')).toUpper();
    const QString argument = argumentOf(line);
    m_controller.logEvent(QStringLiteral("ftp ") + QString::fromLatin1(verb) +
                          (argument.isEmpty()
                               ? QString()
                               : QStringLiteral(" ") + (verb == "PASS" ? QStringLiteral("***") : argument)));

    if (verb == "USER")
        return user(argument);
    if (verb == "PASS")
        return pass(argument);
    if (verb == "QUIT") {
        reply(QStringLiteral("221 Goodbye."));
        dropData();
        m_control->disconnectFromHost();
        return;
    }
    if (verb == "NOOP")
        return reply(QStringLiteral("200 NOOP ok."));
    if (verb == "SYST")
        return reply(QStringLiteral("215 UNIX Type: L8"));
    const QList<QByteArray> known = {"CWD", "PWD", "XPWD", "TYPE", "PORT", "PASV", "RETR", "STOR", "CDUP"};
    if (!known.contains(verb))
        return reply(QStringLiteral("502 Command not implemented."));
    if (!m_authenticated)
        return reply(QStringLiteral("530 Please login with USER and PASS."));
    if (verb == "CWD")
        return cwd(argument);
    if (verb == "CDUP")
        return cwd(QStringLiteral(".."));
    if (verb == "PWD" || verb == "XPWD")
        return reply(QStringLiteral("257 \"/%1\" is the current directory.").arg(m_cwd));
    if (verb == "TYPE") {
        // Files move unchanged whatever the type; the letter is only acknowledged.
        const QString type = argument.toUpper();
        if (type == QLatin1String("I") || type == QLatin1String("A") || type == QLatin1String("L 8"))
            return reply(QStringLiteral("200 Type set to ") + type + QLatin1Char('.'));
        return reply(QStringLiteral("504 Type not supported."));
    }
    if (m_kind != Kind::None)
        return reply(QStringLiteral("425 A transfer is already running."));
    if (verb == "PORT")
        return port(argument);
    if (verb == "PASV")
        return pasv();
    if (verb == "RETR")
        return retr(argument);
    return stor(argument);
}

void FtpSession::user(const QString& argument) {
    // A new USER starts the login again, whatever came before.
    m_authenticated = false;
    m_userGiven = true;
    m_userName = argument;
    if (m_controller.config().ftp.loginWithoutPassword) {
        m_authenticated = true;
        return reply(QStringLiteral("230 User logged in, proceed."));
    }
    reply(QStringLiteral("331 User name okay, need password."));
}

void FtpSession::pass(const QString& argument) {
    if (m_authenticated)
        return reply(QStringLiteral("230 Already logged in."));
    if (!m_userGiven)
        return reply(QStringLiteral("503 Login with USER first."));
    const FtpOptions& options = m_controller.config().ftp;
    const bool known = (m_userName == options.userName && argument == options.passWord) ||
                       (m_userName == options.updateUserName && argument == options.updatePassWord);
    m_userGiven = false;
    if (!known || options.refuseLogin)
        return reply(QStringLiteral("530 Login incorrect."));
    m_authenticated = true;
    m_cwd.clear();
    reply(QStringLiteral("230 User logged in, proceed."));
}

bool FtpSession::resolve(const QString& argument, QString& relative) const {
    QString path = argument;
    bool absolute = path.startsWith(QLatin1Char('/'));
    // The controller's drive letter names the login directory.
    if (path.startsWith(QLatin1String("b:"), Qt::CaseInsensitive)) {
        path = path.mid(2);
        absolute = true;
    }
    if (path.contains(QLatin1Char('\\')) || path.contains(QChar(0)))
        return false;
    QStringList parts = absolute ? QStringList() : m_cwd.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            if (parts.isEmpty())
                return false;
            parts.removeLast();
            continue;
        }
        parts.append(part);
    }
    relative = parts.join(QLatin1Char('/'));
    return true;
}

QString FtpSession::localPath(const QString& relative) const {
    return relative.isEmpty() ? m_controller.dataDir() : QDir(m_controller.dataDir()).filePath(relative);
}

void FtpSession::cwd(const QString& argument) {
    QString relative;
    if (argument.isEmpty() || !resolve(argument, relative) || !QFileInfo(localPath(relative)).isDir())
        return reply(QStringLiteral("550 ") + argument + QStringLiteral(": No such directory."));
    m_cwd = relative;
    reply(QStringLiteral("250 Directory changed to /") + m_cwd + QLatin1Char('.'));
}

void FtpSession::port(const QString& argument) {
    const QStringList fields = argument.split(QLatin1Char(','));
    quint32 address = 0;
    quint32 portNumber = 0;
    bool ok = fields.size() == 6;
    for (int i = 0; ok && i < 6; ++i) {
        const uint value = fields.at(i).trimmed().toUInt(&ok);
        ok = ok && value <= 255;
        if (i < 4)
            address = (address << 8) | value;
        else
            portNumber = (portNumber << 8) | value;
    }
    if (!ok || portNumber == 0)
        return reply(QStringLiteral("501 Syntax error in parameters or arguments."));
    const QHostAddress target(address);
    // Data goes only back to the client that asked: never a third host (no FTP bounce).
    if (!target.isEqual(m_control->peerAddress(), QHostAddress::ConvertV4MappedToIPv4))
        return reply(QStringLiteral("504 PORT address refused."));
    dropPassive();
    m_activeSet = true;
    m_activeAddress = target;
    m_activePort = static_cast<quint16>(portNumber);
    reply(QStringLiteral("200 PORT command successful."));
}

void FtpSession::pasv() {
    m_activeSet = false;
    dropPassive();
    m_passive = new QTcpServer(this);
    bool isV4 = false;
    const quint32 local = m_control->localAddress().toIPv4Address(&isV4);
    if (!isV4 || !m_passive->listen(QHostAddress(local), 0)) {
        dropPassive();
        return reply(QStringLiteral("425 Cannot open passive connection."));
    }
    connect(m_passive, &QTcpServer::newConnection, this, &FtpSession::onPassiveConnection);
    const quint16 p = m_passive->serverPort();
    reply(QStringLiteral("227 Entering Passive Mode (%1,%2,%3,%4,%5,%6).")
              .arg((local >> 24) & 0xFF)
              .arg((local >> 16) & 0xFF)
              .arg((local >> 8) & 0xFF)
              .arg(local & 0xFF)
              .arg(p >> 8)
              .arg(p & 0xFF));
}

void FtpSession::retr(const QString& argument) {
    QString relative;
    const FtpOptions& options = m_controller.config().ftp;
    const QString fileName = argument.section(QLatin1Char('/'), -1);
    QFile file;
    if (!argument.isEmpty() && resolve(argument, relative) && !relative.isEmpty() &&
        !options.missingFiles.contains(fileName) && !options.missingFiles.contains(argument)) {
        file.setFileName(localPath(relative));
        if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly))
            file.setFileName(QString());
    }
    if (!file.isOpen())
        return reply(QStringLiteral("550 ") + argument + QStringLiteral(": No such file or directory."));
    if (!m_activeSet && !m_passive)
        return reply(QStringLiteral("425 Use PORT or PASV first."));
    m_content = file.readAll();
    m_kind = Kind::Retr;
    m_name = argument;
    m_sent = 0;
    reply(QStringLiteral("150 Opening BINARY mode data connection for %1 (%2 bytes).")
              .arg(argument)
              .arg(m_content.size()));
    openData();
}

void FtpSession::stor(const QString& argument) {
    QString relative;
    if (argument.isEmpty() || !resolve(argument, relative) || relative.isEmpty() ||
        !QFileInfo(QFileInfo(localPath(relative)).absolutePath()).isDir())
        return reply(QStringLiteral("553 ") + argument + QStringLiteral(": Requested action not taken."));
    if (!m_activeSet && !m_passive)
        return reply(QStringLiteral("425 Use PORT or PASV first."));
    // The stored file is replaced only by a complete upload; until then the old one stays.
    m_upload = std::make_unique<QSaveFile>(localPath(relative));
    if (!m_upload->open(QIODevice::WriteOnly)) {
        m_upload.reset();
        return reply(QStringLiteral("553 ") + argument + QStringLiteral(": Cannot create file."));
    }
    m_kind = Kind::Stor;
    m_name = argument;
    m_received = 0;
    reply(QStringLiteral("150 Ok to send data."));
    openData();
}

} // namespace sim
