#include "ops/OverviewFile.h"

#include "net/SafeFile.h"

namespace ops {

bool SaveOverviewFile(const QString& target, const QByteArray& bytes) {
    return net::WriteFileSafely(target, bytes);
}

} // namespace ops
