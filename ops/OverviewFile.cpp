#include "ops/OverviewFile.h"

#include <QSaveFile>

namespace ops {

bool SaveOverviewFile(const QString& target, const QByteArray& bytes) {
    QSaveFile file(target);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

} // namespace ops
