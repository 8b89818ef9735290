#pragma once

// The straightforward pairwise comparison: two files at a time, each routine
// opening the files it needs and closing them on every way out. The passes
// sort whole runs at once; the tests hold them to what comparing the files
// pair by pair with these routines decides.

#include "compare/passes.h"
#include "compare/routines.h"

#include <QString>
#include <vector>

namespace quillfen::testing {

// True when the files count as equal: same length and equal samples.
bool fuzzycompare(const QString& a, const QString& b, const ReadControl& control = {});
// True when the files are equal byte for byte. A stop request ends it with False.
bool bytecompare(const QString& a, const QString& b, const ReadControl& control = {});
// True when the lengths and the checksums of the two files are equal. A file that
// cannot be measured, opened or read is equal to nothing.
bool crccompare(const QString& a, const QString& b, const ReadControl& control = {});
// True when the file length of the path can be read.
bool fileavailable(const QString& path, const ReadControl& control = {});

// The CRC-32 (and the second checksum) of a whole file.
FileCrc fileCrc32(const QString& path, const ReadControl& control = {});
// Eight uppercase hexadecimal digits.
QString crcText(quint32 crc);
// The CRC text of a file: eight uppercase hexadecimal digits; "?" when the
// file cannot be opened or read; empty when a stop request ended the read.
QString filecrc(const QString& path, const ReadControl& control = {});

// A record of an entry table: the full path of a row and its size. A
// separator row is recorded with an empty path and size 0.
struct TableEntry {
    QString path;
    qint64 size = 0;
    // Handed on by a fuzzy pass that labelled files it read whole.
    qint64 sameAs = -1;
    SeenFile seen{};
};

// A file kept by a pass; subgroupstart marks the first file of a set of
// equal files.
struct PassItem {
    QString path;
    bool subgroupstart = false;
    friend bool operator==(const PassItem&, const PassItem&) = default;
};

// A pass over a table of paths and sizes, giving the kept paths.
bool runPass(PassKind kind, const std::vector<TableEntry>& table, std::vector<PassItem>& kept,
             const ReadControl& control, const PassProgress& progress = {});

// A fuzzy pass that labels the small files it reads whole; kept gets the
// kept files with their labels and what the pass saw of them.
bool runLabellingPass(const std::vector<TableEntry>& table, std::vector<TableEntry>& kept,
                      const ReadControl& control);

} // namespace quillfen::testing
