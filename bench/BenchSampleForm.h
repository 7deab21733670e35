// The sample form of the source tree for the benchmarks, with its records repeated up to a count
// and each first value numbered, so that every page differs.
#pragma once

#include "document/FormFile.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

// Found from the build folder the benchmark runs from; empty when it is not there.
inline std::filesystem::path samplePath()
{
    for (std::filesystem::path dir = QCoreApplication::applicationDirPath().toStdString();
         !dir.empty() && dir != dir.parent_path(); dir = dir.parent_path()) {
        if (std::filesystem::exists(dir / "examples" / "sample.frm"))
            return dir / "examples" / "sample.frm";
    }
    return {};
}

inline FormDocument sampleFormWithRecords(int count)
{
    FormDocument doc;
    if (readFormFile(samplePath().string(), doc) != FormReadStatus::Ok || doc.records.empty()) {
        std::fprintf(stderr, "examples/sample.frm not found above %s\n",
                     qPrintable(QCoreApplication::applicationDirPath()));
        std::abort();
    }
    const std::vector<FormRecord> originals = doc.records;
    doc.records.clear();
    for (int i = 0; i < count; ++i) {
        FormRecord record = originals[size_t(i) % originals.size()];
        if (!record.empty())
            record.setValue(0, record.value(0).value_or("") + " " + std::to_string(i + 1));
        doc.records.push_back(std::move(record));
    }
    return doc;
}
