#include "sim/LogbookRing.h"

#include "sim/SimController.h"

#include <QFile>
#include <QFileInfo>

namespace sim {
namespace {

constexpr int kRecordSize = 63;
constexpr int kRingSlots = 1500;

QString ringFile(const SimController& controller) {
    return controller.dataFile(QStringLiteral("kelvora.ring"));
}

} // namespace

RingState readRingState(const SimController& controller) {
    QFile file(ringFile(controller));
    if (file.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> fields = file.readAll().simplified().split(' ');
        bool positionOk = false;
        bool countOk = false;
        if (fields.size() == 2) {
            const RingState state{fields.at(1).toInt(&countOk), fields.at(0).toInt(&positionOk)};
            if (positionOk && countOk)
                return state;
        }
    }
    const QFileInfo log(controller.dataFile(QStringLiteral("kelvora.log")));
    const int records =
        log.exists() ? static_cast<int>(qMin<qint64>(log.size() / kRecordSize, kRingSlots)) : 0;
    return {records, records % kRingSlots};
}

void writeRingState(const SimController& controller, const RingState& state) {
    QFile file(ringFile(controller));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(QByteArray::number(state.position) + ' ' + QByteArray::number(state.count) + '\n');
}

void clearRingState(const SimController& controller) {
    QFile::remove(ringFile(controller));
}

} // namespace sim
