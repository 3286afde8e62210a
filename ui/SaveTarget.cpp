#include "ui/SaveTarget.h"

#include "ops/Notices.h"

QString FileNotWrittenText(const QString& path) {
    return ops::TargetNotWrittenText(path);
}
