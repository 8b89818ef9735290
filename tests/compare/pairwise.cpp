#include "pairwise.h"

#include <cstring>
#include <memory>

namespace quillfen::testing {

using namespace Qt::StringLiterals;

namespace {

// An open file with its length; the length is -1 when opening failed.
struct OpenedFile {
    platform::InputFile file;
    qint64 length = -1;
};

bool openMeasured(OpenedFile& opened, const QString& path, const ReadControl& control) {
    if (!control.access().open(opened.file, path))
        return false;
    const platform::FileInfo info = opened.file.info();
    if (!info.isRegular() || info.size < 0)
        return false;
    opened.length = info.size;
    return true;
}

// Reads length bytes at the 0-based offset, or fewer at the end of the file.
qint64 readBlock(OpenedFile& opened, const QString& path, qint64 offset, char* buffer,
                 qint64 length, const ReadControl& control) {
    const qint64 wanted = qMax<qint64>(0, qMin(length, opened.length - offset));
    if (wanted == 0)
        return 0;
    return control.access().readAt(opened.file, path, offset, buffer, wanted);
}

class TableSource : public PassSource {
public:
    explicit TableSource(const std::vector<TableEntry>& table) : m_table(table) {}
    qint64 count() const override { return qint64(m_table.size()); }
    qint64 size(qint64 k) const override { return m_table[std::size_t(k)].size; }
    QString path(qint64 k) const override { return m_table[std::size_t(k)].path; }
    qint64 sameAs(qint64 k) const override { return m_table[std::size_t(k)].sameAs; }
    SeenFile seenBefore(qint64 k) const override { return m_table[std::size_t(k)].seen; }

private:
    const std::vector<TableEntry>& m_table;
};

} // namespace

bool fuzzycompare(const QString& a, const QString& b, const ReadControl& control) {
    OpenedFile fa, fb;
    if (!openMeasured(fa, a, control) || !openMeasured(fb, b, control))
        return false;
    const qint64 length = fa.length;
    if (fb.length != length)
        return false;
    if (length == 0)
        return true;
    const qint64 step = fuzzyStep(length);
    char sa[fuzzySampleLength];
    char sb[fuzzySampleLength];
    for (int k = 1; k <= fuzzySampleCount; ++k) {
        const qint64 offset = k * step - 1;
        const qint64 ra = readBlock(fa, a, offset, sa, fuzzySampleLength, control);
        const qint64 rb = readBlock(fb, b, offset, sb, fuzzySampleLength, control);
        if (ra < 0 || rb < 0 || ra != rb || std::memcmp(sa, sb, size_t(ra)) != 0)
            return false;
        if (length <= 100)
            break;
    }
    return true;
}

bool bytecompare(const QString& a, const QString& b, const ReadControl& control) {
    OpenedFile fa, fb;
    if (!openMeasured(fa, a, control) || !openMeasured(fb, b, control))
        return false;
    const qint64 length = fa.length;
    if (fb.length != length)
        return false;
    if (length == 0)
        return true;
    fa.file.adviseSequential();
    fb.file.adviseSequential();
    const auto ba = std::make_unique<char[]>(byteBlockLength);
    const auto bb = std::make_unique<char[]>(byteBlockLength);
    qint64 p = 1; // 1-based position of the block
    do {
        const qint64 ra = readBlock(fa, a, p - 1, ba.get(), byteBlockLength, control);
        const qint64 rb = readBlock(fb, b, p - 1, bb.get(), byteBlockLength, control);
        if (control.gentle && !control.pause(gentlePauseMs))
            return false;
        p += byteBlockAdvance;
        if (control.stopRequested())
            return false;
        if (p < length)
            control.countRead(2 * byteBlockAdvance);
        else if (length > byteBlockAdvance)
            control.countRead(2 * (byteBlockLength - (p - length)));
        else
            control.countRead(2 * length);
        if (ra < 0 || rb < 0 || ra != rb || std::memcmp(ba.get(), bb.get(), size_t(ra)) != 0)
            return false;
    } while (p < length);
    return true;
}

FileCrc fileCrc32(const QString& path, const ReadControl& control) {
    platform::InputFile file;
    if (!control.access().open(file, path))
        return FileCrc();
    return readFileCrc(file, path, control);
}

QString crcText(quint32 crc) {
    return u"%1"_s.arg(crc, 8, 16, QChar(u'0')).toUpper();
}

QString filecrc(const QString& path, const ReadControl& control) {
    const FileCrc crc = fileCrc32(path, control);
    switch (crc.status) {
    case FileCrc::Done:
        return crcText(crc.crc);
    case FileCrc::Stopped:
        return QString();
    case FileCrc::Failed:
        break;
    }
    return u"?"_s;
}

bool crccompare(const QString& a, const QString& b, const ReadControl& control) {
    const qint64 la = control.access().length(a);
    const qint64 lb = control.access().length(b);
    if (la < 0 || lb < 0 || la != lb)
        return false;
    const FileCrc ca = fileCrc32(a, control);
    if (ca.status != FileCrc::Done)
        return false;
    const FileCrc cb = fileCrc32(b, control);
    return cb.status == FileCrc::Done && ca.crc == cb.crc && ca.check == cb.check;
}

bool fileavailable(const QString& path, const ReadControl& control) {
    return control.access().length(path) >= 0;
}

bool runPass(PassKind kind, const std::vector<TableEntry>& table, std::vector<PassItem>& kept,
             const ReadControl& control, const PassProgress& progress) {
    std::vector<KeptRow> rows;
    if (!quillfen::runPass(kind, TableSource(table), rows, control, progress))
        return false;
    for (const KeptRow& row : rows)
        kept.push_back({table[std::size_t(row.index)].path, row.subgroupstart});
    return true;
}

bool runLabellingPass(const std::vector<TableEntry>& table, std::vector<TableEntry>& kept,
                      const ReadControl& control) {
    std::vector<KeptRow> rows;
    if (!quillfen::runPass(PassKind::Fuzzy, TableSource(table), rows, control, {}, true))
        return false;
    for (const KeptRow& row : rows) {
        const TableEntry& entry = table[std::size_t(row.index)];
        kept.push_back({entry.path, entry.size, row.sameAs, row.seen});
    }
    return true;
}

} // namespace quillfen::testing
