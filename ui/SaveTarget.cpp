#include "ui/SaveTarget.h"

#include "ops/Notices.h"

#include <QFileInfo>

QString WithDefaultExtension(const QString& name, const QString& extension) {
    if (QFileInfo(name).fileName().contains(QLatin1Char('.')))
        return name;
    return name + QLatin1Char('.') + extension;
}

QString FileNotWrittenText(const QString& path) {
    return ops::TargetNotWrittenText(path);
}
