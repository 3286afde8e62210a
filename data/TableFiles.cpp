#include "data/TableFiles.h"

#include "net/SafeFile.h"

#include <QFile>

namespace {

template <typename Record>
bool readRecords(const QString& path, RecordList<Record>& records, TableFileInfo* info) {
    QFile file(path);
    TableFileInfo found;
    if (!file.open(QIODevice::ReadOnly)) {
        if (info)
            *info = found;
        return false;
    }
    found.opened = true;
    const qint64 size = file.size();
    found.records = static_cast<qsizetype>(size / static_cast<qint64>(sizeof(Record)));
    found.extraBytes = static_cast<qsizetype>(size % static_cast<qint64>(sizeof(Record)));
    for (qsizetype i = 0; i < found.records; ++i) {
        auto record = std::make_unique<Record>();
        if (file.read(reinterpret_cast<char*>(record.get()), sizeof(Record)) != sizeof(Record)) {
            // The file shrank under us: what was read completely stays.
            found.records = i;
            break;
        }
        records.push_back(std::move(record));
    }
    if (info)
        *info = found;
    return true;
}

// A full disk or a write error leaves the file as it was (an earlier copy whose upload failed stays
// whole) instead of a cut-off table.
template <typename Record> bool writeRecords(const QString& path, const RecordList<Record>& records) {
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(records.size() * sizeof(Record)));
    for (const auto& record : records)
        bytes.append(reinterpret_cast<const char*>(record.get()), sizeof(Record));
    return net::WriteFileSafely(path, bytes);
}

} // namespace

bool ReadTableFile(const QString& path, RecordList<TModuleEntry>& records, TableFileInfo* info) {
    return readRecords(path, records, info);
}

bool ReadTableFile(const QString& path, RecordList<TTransponderEntry>& records, TableFileInfo* info) {
    return readRecords(path, records, info);
}

bool WriteTableFile(const QString& path, const RecordList<TModuleEntry>& records) {
    return writeRecords(path, records);
}

bool WriteTableFile(const QString& path, const RecordList<TTransponderEntry>& records) {
    return writeRecords(path, records);
}
