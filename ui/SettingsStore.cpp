#include "ui/SettingsStore.h"

#include "platform/RegistryValue.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QVariant>
#include <QWidget>

#include <algorithm>
#include <cstring>
#include <string>

namespace settings {
namespace {

// HKLM\SOFTWARE\nopra\Kelvora\Administrator on Windows; the system-wide and per-user configuration
// folders elsewhere.
const QString kOrganization = QStringLiteral("nopra");
const QString kProduct = QStringLiteral("Kelvora");
const QString kDefaultsKey = QStringLiteral("Administrator/DefaultTransponderRestrictions");
const QString kPlacementApplication = QStringLiteral("Kelvora compact Administrator");

QString rectText(const QRect& r) {
    return QStringLiteral("%1,%2,%3,%4")
        .arg(r.left())
        .arg(r.top())
        .arg(r.left() + r.width())
        .arg(r.top() + r.height());
}

bool parseFour(const QString& text, int out[4]) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return false;
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        out[i] = parts.at(i).trimmed().toInt(&ok);
        if (!ok)
            return false;
    }
    return true;
}

} // namespace

TDefaultRestrictions DefaultRestrictionsFromValue(const QVariant& value) {
    TDefaultRestrictions block{};
    if (value.typeId() != QMetaType::QByteArray)
        return block;
    const QByteArray bytes = value.toByteArray();
    if (bytes.size() > static_cast<qsizetype>(sizeof block))
        return block;
    std::memcpy(&block, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return block;
}

namespace {

// On Windows the block is a plain REG_BINARY value, read and written through the registry itself so
// that other programs can read and write it too (Qt would store its own text form).
const std::string kRegistryKey = "SOFTWARE\\nopra\\Kelvora\\Administrator";
const std::string kRegistryValue = "DefaultTransponderRestrictions";

bool registryAvailable() {
    return platform::ReadBinaryValue(platform::RegistryRoot::CurrentUser, kRegistryKey, kRegistryValue, 0)
               .status != platform::RegistryRead::Unavailable;
}

TDefaultRestrictions blockFromRegistry(const platform::BinaryValue& value) {
    TDefaultRestrictions block{};
    switch (value.status) {
    case platform::RegistryRead::Ok:
    case platform::RegistryRead::TooShort:
        std::memcpy(&block, value.bytes.data(), std::min(value.bytes.size(), sizeof block));
        return block;
    case platform::RegistryRead::Missing:
    case platform::RegistryRead::WrongType:
    case platform::RegistryRead::TooLong:
    case platform::RegistryRead::Failed:
    case platform::RegistryRead::Unavailable:
        return block;
    }
    return block;
}

} // namespace

TDefaultRestrictions LoadDefaultRestrictions() {
    if (registryAvailable())
        return blockFromRegistry(
            platform::ReadMachineOrUserValue(kRegistryKey, kRegistryValue, sizeof(TDefaultRestrictions)));
    // The per-user store shadows the per-machine one only where the machine's could not be written.
    QSettings userStore(QSettings::NativeFormat, QSettings::UserScope, kOrganization, kProduct);
    if (userStore.contains(kDefaultsKey))
        return DefaultRestrictionsFromValue(userStore.value(kDefaultsKey));
    QSettings machineStore(QSettings::NativeFormat, QSettings::SystemScope, kOrganization, kProduct);
    return DefaultRestrictionsFromValue(machineStore.value(kDefaultsKey));
}

bool SaveDefaultRestrictions(const TDefaultRestrictions& block) {
    if (registryAvailable()) {
        const auto* first = reinterpret_cast<const std::uint8_t*>(&block);
        return platform::WriteMachineOrUserValue(kRegistryKey, kRegistryValue, {first, first + sizeof block})
                   .status == platform::RegistryWrite::Ok;
    }
    const QByteArray bytes(reinterpret_cast<const char*>(&block), sizeof block);
    {
        QSettings machineStore(QSettings::NativeFormat, QSettings::SystemScope, kOrganization, kProduct);
        if (machineStore.isWritable()) {
            machineStore.setValue(kDefaultsKey, bytes);
            machineStore.sync();
            if (machineStore.status() == QSettings::NoError) {
                QSettings userStore(QSettings::NativeFormat, QSettings::UserScope, kOrganization, kProduct);
                userStore.remove(kDefaultsKey);
                return true;
            }
        }
    }
    QSettings userStore(QSettings::NativeFormat, QSettings::UserScope, kOrganization, kProduct);
    userStore.setValue(kDefaultsKey, bytes);
    userStore.sync();
    return userStore.status() == QSettings::NoError;
}

void SaveWindowPlacement(const QWidget& window, int treeWidth) {
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, kOrganization, kPlacementApplication);
    const int showCmd = window.isMinimized() ? 2 : (window.isMaximized() ? 3 : 1);
    store.setValue(QStringLiteral("Flags"), 0);
    store.setValue(QStringLiteral("ShowCmd"), showCmd);
    store.setValue(QStringLiteral("PixelsPerInch"), window.logicalDpiY());
    store.setValue(QStringLiteral("MinMaxPos"),
                   QStringLiteral("%1,%2,%3,%4").arg(-1).arg(-1).arg(-1).arg(-1));
    store.setValue(QStringLiteral("NormPos"),
                   rectText(window.normalGeometry().isValid() ? window.normalGeometry() : window.geometry()));
    if (treeWidth > 0)
        store.setValue(QStringLiteral("TreeWidth"), treeWidth);
    store.sync();
}

int RestoreTreeWidth() {
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, kOrganization, kPlacementApplication);
    bool ok = false;
    const int width = store.value(QStringLiteral("TreeWidth")).toInt(&ok);
    return ok && width > 0 ? width : 0;
}

bool RestoreWindowPlacement(QWidget& window) {
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, kOrganization, kPlacementApplication);
    int pos[4];
    if (!parseFour(store.value(QStringLiteral("NormPos")).toString(), pos))
        return false;
    QRect rect(QPoint(pos[0], pos[1]), QPoint(pos[2] - 1, pos[3] - 1));
    rect.setWidth(qMax(rect.width(), window.minimumWidth()));
    rect.setHeight(qMax(rect.height(), window.minimumHeight()));
    // A position on a screen that is no longer there would hide the window.
    bool visible = false;
    for (const QScreen* screen : QGuiApplication::screens())
        visible = visible || screen->availableGeometry().intersects(rect);
    if (!visible)
        return false;
    window.setGeometry(rect);
    return true;
}

} // namespace settings
