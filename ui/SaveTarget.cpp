#include "ui/SaveTarget.h"

#include <QDir>
#include <QFileInfo>

QString WithDefaultExtension(const QString& name, const QString& extension) {
    if (QFileInfo(name).fileName().contains(QLatin1Char('.')))
        return name;
    return name + QLatin1Char('.') + extension;
}

QString FileNotWrittenText(const QString& path) {
    return QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden.")
        .arg(QDir::toNativeSeparators(path));
}
