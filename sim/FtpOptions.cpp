#include "sim/FtpOptions.h"

namespace sim {
namespace {

const QString kUser = QStringLiteral("ftp-user");
const QString kPassword = QStringLiteral("ftp-password");
const QString kUpdateUser = QStringLiteral("ftp-update-user");
const QString kUpdatePassword = QStringLiteral("ftp-update-password");
const QString kMissing = QStringLiteral("ftp-missing-file");
const QString kStall = QStringLiteral("ftp-stall-after");
const QString kSlow = QStringLiteral("ftp-slow");
const QString kRefuseLogin = QStringLiteral("ftp-refuse-login");
const QString kNoPassword = QStringLiteral("ftp-login-without-password");
const QString kDropData = QStringLiteral("ftp-drop-data-after");

} // namespace

void addFtpOptions(QCommandLineParser& parser) {
    parser.addOptions({
        {kUser, QStringLiteral("FTP account name."), QStringLiteral("name"), QStringLiteral("kelvora")},
        {kPassword, QStringLiteral("FTP account password."), QStringLiteral("password"),
         QStringLiteral("pel47k2")},
        {kUpdateUser, QStringLiteral("FTP account for update images."), QStringLiteral("name"),
         QStringLiteral("ftp")},
        {kUpdatePassword, QStringLiteral("Password of the update account."), QStringLiteral("password"),
         QStringLiteral("zqw")},
        {kMissing, QStringLiteral("Refuse RETR of this file with 550 (repeatable)."), QStringLiteral("name")},
        {kStall, QStringLiteral("FTP transfers stop moving after this many bytes."), QStringLiteral("bytes")},
        {kSlow, QStringLiteral("FTP transfers move N bytes every M milliseconds."), QStringLiteral("N:M")},
        {kRefuseLogin, QStringLiteral("Answer every FTP PASS with 530.")},
        {kNoPassword, QStringLiteral("Answer FTP USER with 230 (no PASS needed).")},
        {kDropData, QStringLiteral("Reset the data connection of a transfer after this many bytes."),
         QStringLiteral("bytes")},
    });
}

bool applyFtpOptions(const QCommandLineParser& parser, FtpOptions& options, QString* error) {
    const auto fail = [error](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    options.userName = parser.value(kUser);
    options.passWord = parser.value(kPassword);
    options.updateUserName = parser.value(kUpdateUser);
    options.updatePassWord = parser.value(kUpdatePassword);
    options.missingFiles = parser.values(kMissing);
    if (parser.isSet(kStall)) {
        bool ok = false;
        options.stallAfterBytes = parser.value(kStall).toLongLong(&ok);
        if (!ok || options.stallAfterBytes < 0)
            return fail(QStringLiteral("bad --ftp-stall-after"));
    }
    if (parser.isSet(kSlow)) {
        const QStringList parts = parser.value(kSlow).split(QLatin1Char(':'));
        bool okBytes = false;
        bool okMs = false;
        if (parts.size() == 2) {
            options.slowChunkBytes = parts.at(0).toLongLong(&okBytes);
            options.slowIntervalMs = parts.at(1).toInt(&okMs);
        }
        if (!okBytes || !okMs || options.slowChunkBytes <= 0 || options.slowIntervalMs <= 0)
            return fail(QStringLiteral("bad --ftp-slow (expected bytes:milliseconds)"));
    }
    if (parser.isSet(kDropData)) {
        bool ok = false;
        options.dropDataAfterBytes = parser.value(kDropData).toLongLong(&ok);
        if (!ok || options.dropDataAfterBytes < 0)
            return fail(QStringLiteral("bad --ftp-drop-data-after"));
    }
    options.refuseLogin = parser.isSet(kRefuseLogin);
    options.loginWithoutPassword = parser.isSet(kNoPassword);
    return true;
}

} // namespace sim
