#include "core/pathentry.h"

#include "core/format.h"

#include <cmath>

namespace quillfen {

using namespace Qt::StringLiterals;

SizeLimit SizeLimit::fromKb(double kb) {
    SizeLimit limit;
    const double rounded = roundHalfEven(kb, 4);
    // Ten-thousandths of a kB are tenths of a byte; the rounding above has
    // left a whole number of them, which the nearest integer recovers.
    if (rounded > 0)
        limit.m_tenths = qint64(std::nearbyint(rounded * 10000));
    return limit;
}

QString SizeLimit::kbText() const {
    QString text = QString::number(m_tenths / 10000);
    const qint64 fraction = m_tenths % 10000;
    if (fraction != 0) {
        QString digits = u"%1"_s.arg(fraction, 4, 10, QChar(u'0'));
        while (digits.endsWith(u'0'))
            digits.chop(1);
        text += u'.' + digits;
    }
    return text;
}

bool EntryOptions::attributesAllowed(quint32 word) const {
    // Only words made of the read-only, hidden, system and archive bits are
    // tested; a word with any other bit set passes.
    constexpr quint32 tested = 0x1 | 0x2 | 0x4 | 0x20;
    if ((word & ~tested) != 0)
        return true;
    if ((word & 0x1) && !readonly)
        return false;
    if ((word & 0x2) && !hidden)
        return false;
    if ((word & 0x4) && !system)
        return false;
    if ((word & 0x20) && !archive)
        return false;
    return true;
}

std::array<QString, PathEntry::ColumnCount> optioncolumns(const EntryOptions& options) {
    std::array<QString, PathEntry::ColumnCount> columns;
    columns[PathEntry::MinSizeOn] = boolText(options.minsizeon);
    columns[PathEntry::MinSizeKb] = options.minsizeon ? options.minsize.kbText() : u"-"_s;
    columns[PathEntry::MaxSizeOn] = boolText(options.maxsizeon);
    columns[PathEntry::MaxSizeKb] = options.maxsizeon ? options.maxsize.kbText() : u"-"_s;
    columns[PathEntry::Subdirs] = boolText(options.subdirs);
    columns[PathEntry::IgnoreZero] = boolText(options.ignorezero);
    columns[PathEntry::Attributes] =
        attributeLetters(options.readonly, options.hidden, options.system, options.archive);
    return columns;
}

QString attributeLetters(bool readonly, bool hidden, bool system, bool archive) {
    QString letters;
    if (readonly)
        letters += u'R';
    if (hidden)
        letters += u'H';
    if (system)
        letters += u'S';
    if (archive)
        letters += u'A';
    return letters.isEmpty() ? u"Only normal"_s : letters;
}

} // namespace quillfen
