// A controller's table file as the tool reads it, both record kinds. Oracles: the whole records are read
// and nothing more (a trailing partial record counted, not read), each record holds exactly its bytes of
// the file, writing the list back gives the file's whole records byte for byte, and what the editors show
// of a record (name, code) written back into a copy of it changes no byte.

#include "FuzzSupport.h"

#include "data/TableFiles.h"
#include "device/Conversions.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

// On a memory file system where there is one: every input is a file written and read twice.
const QTemporaryDir& workDir() {
    static const QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                       ? QStringLiteral("/dev/shm/kelvora-fuzz-XXXXXX")
                                       : QDir::tempPath() + QStringLiteral("/kelvora-fuzz-XXXXXX"));
    return dir;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    fuzz::check(file.open(QIODevice::ReadOnly), "written file opens");
    return file.readAll();
}

void nameShownAndWrittenBack(const std::uint8_t* name) {
    std::uint8_t copy[20];
    std::memcpy(copy, name, sizeof copy);
    StrToChars(CharsToStr(name, 19), copy, sizeof copy);
    fuzz::check(std::memcmp(copy, name, sizeof copy) == 0, "name shown and written back changes no byte");
}

void codeShownAndWrittenBack(const std::uint8_t* code) {
    if (code[10] != 0xFF)
        return; // a text code: the editor writes it as characters, like the name
    std::uint8_t copy[11];
    HexToCode(CodeToStr(code, 10), copy, 10);
    fuzz::check(std::memcmp(copy, code, sizeof copy) == 0,
                "binary code shown and written back changes no byte");
}

template <typename Record>
void roundTrip(const QByteArray& file, const QString& input, const QString& output) {
    RecordList<Record> records;
    TableFileInfo info;
    fuzz::check(ReadTableFile(input, records, &info), "file opens");
    const qsizetype whole = file.size() / static_cast<qsizetype>(sizeof(Record));
    fuzz::check(info.opened && info.records == whole &&
                    info.extraBytes == file.size() % static_cast<qsizetype>(sizeof(Record)),
                "counts of whole records and extra bytes");
    fuzz::check(static_cast<qsizetype>(records.size()) == whole, "whole records read, no more");
    for (qsizetype i = 0; i < whole; ++i)
        fuzz::check(std::memcmp(records[static_cast<std::size_t>(i)].get(),
                                file.constData() + i * static_cast<qsizetype>(sizeof(Record)),
                                sizeof(Record)) == 0,
                    "record bytes");
    fuzz::check(WriteTableFile(output, records), "written");
    fuzz::check(readAll(output) == file.left(whole * static_cast<qsizetype>(sizeof(Record))),
                "written file: the whole records byte for byte");
    for (const auto& record : records) {
        nameShownAndWrittenBack(record->Name);
        if constexpr (std::is_same_v<Record, TTransponderEntry>)
            codeShownAndWrittenBack(record->Code);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QTemporaryDir& dir = workDir();
    fuzz::check(dir.isValid(), "work folder");
    const QString input = dir.filePath(QStringLiteral("in.dat"));
    const QString output = dir.filePath(QStringLiteral("out.dat"));
    const QByteArray file(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    {
        QFile f(input);
        fuzz::check(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(file) == file.size(),
                    "input file");
    }
    roundTrip<TModuleEntry>(file, input, output);
    roundTrip<TTransponderEntry>(file, input, output);
    return 0;
}
