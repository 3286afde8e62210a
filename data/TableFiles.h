#pragma once

// The controller's table files: plain sequences of fixed-size records, no header, no count. The tool
// reads them into separately allocated records and writes the same bytes back in list order.

#include "data/Records.h"

#include <QString>

#include <memory>
#include <vector>

template <typename Record> using RecordList = std::vector<std::unique_ptr<Record>>;

struct TableFileInfo {
    bool opened = false;
    qsizetype records = 0;    // complete records in the file
    qsizetype extraBytes = 0; // a trailing partial record, not read
};

// Appends every complete record of the file to the list; false when the file can't be opened.
bool ReadTableFile(const QString& path, RecordList<TModuleEntry>& records, TableFileInfo* info = nullptr);
bool ReadTableFile(const QString& path, RecordList<TTransponderEntry>& records,
                   TableFileInfo* info = nullptr);

// Creates or truncates the file and writes every record in list order; false on any write error.
bool WriteTableFile(const QString& path, const RecordList<TModuleEntry>& records);
bool WriteTableFile(const QString& path, const RecordList<TTransponderEntry>& records);
