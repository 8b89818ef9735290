#include "scan/scanoptions.h"

#include "core/format.h"
#include "scan/scanengine.h"

namespace quillfen {

using namespace Qt::StringLiterals;

namespace {

// A size limit box: at least 1 kB and at most 1000000000 kB; the box's text
// is corrected in place. Returns the limit in bytes.
double clampLimit(QString& text) {
    if (leadingNumber(text) < 1)
        text = u"1"_s;
    if (leadingNumber(text) > 1000000000)
        text = u"1000000000"_s;
    return roundHalfEven(leadingNumber(text), 4) * 1000;
}

bool columnIsTrue(const QString& text) {
    return text.trimmed().compare(u"True"_s, Qt::CaseInsensitive) == 0;
}

} // namespace

void readscanoptions(AppState& state) {
    ScanPathsState& boxes = state.scanpaths;
    state.minsizeon = boxes.minsizebox;
    state.minsize = clampLimit(boxes.minsizetext);
    state.maxsizeon = boxes.maxsizebox;
    state.maxsize = clampLimit(boxes.maxsizetext);
    state.subdirs = boxes.subdirsbox;
    state.ignorezero = boxes.ignorezerobox;
}

PathEntry newpathentry(AppState& state, const QString& folder, const QString& patterntext) {
    readscanoptions(state);
    const ScanPathsState& boxes = state.scanpaths;
    PathEntry entry;
    entry.text = addbackslash(folder) + patterntext;
    entry.options[PathEntry::MinSizeOn] = boolText(state.minsizeon);
    entry.options[PathEntry::MinSizeKb] =
        state.minsizeon ? generalNumberText(state.minsize / 1000) : u"-"_s;
    entry.options[PathEntry::MaxSizeOn] = boolText(state.maxsizeon);
    entry.options[PathEntry::MaxSizeKb] =
        state.maxsizeon ? generalNumberText(state.maxsize / 1000) : u"-"_s;
    entry.options[PathEntry::Subdirs] = boolText(state.subdirs);
    entry.options[PathEntry::IgnoreZero] = boolText(state.ignorezero);
    entry.options[PathEntry::Attributes] =
        attributeLetters(boxes.readonlybox, boxes.hiddenbox, boxes.systembox, boxes.archivebox);
    return entry;
}

EntryOptions EntryOptions::fromPathEntry(const PathEntry& entry) {
    EntryOptions options;
    options.minsizeon = columnIsTrue(entry.options[PathEntry::MinSizeOn]);
    options.minsize = leadingNumber(entry.options[PathEntry::MinSizeKb]) * 1000;
    options.maxsizeon = columnIsTrue(entry.options[PathEntry::MaxSizeOn]);
    options.maxsize = leadingNumber(entry.options[PathEntry::MaxSizeKb]) * 1000;
    options.subdirs = columnIsTrue(entry.options[PathEntry::Subdirs]);
    options.ignorezero = columnIsTrue(entry.options[PathEntry::IgnoreZero]);
    const QString& letters = entry.options[PathEntry::Attributes];
    if (letters != u"Only normal"_s) {
        options.attrreadonly = letters.contains(u'R') ? 1 : 0;
        options.attrhidden = letters.contains(u'H') ? 2 : 0;
        options.attrsystem = letters.contains(u'S') ? 4 : 0;
        options.attrarchive = letters.contains(u'A') ? 32 : 0;
    }
    return options;
}

bool EntryOptions::attributesAllowed(quint32 word) const {
    // Only words made of the read-only, hidden, system and archive bits are
    // tested; a word with any other bit set passes.
    constexpr quint32 tested = 0x1 | 0x2 | 0x4 | 0x20;
    if ((word & ~tested) != 0)
        return true;
    if ((word & 0x1) && attrreadonly == 0)
        return false;
    if ((word & 0x2) && attrhidden == 0)
        return false;
    if ((word & 0x4) && attrsystem == 0)
        return false;
    if ((word & 0x20) && attrarchive == 0)
        return false;
    return true;
}

QStringList splitpatterns(const QString& patterntext) {
    if (patterntext.indexOf(u'*') == patterntext.lastIndexOf(u'*'))
        return {patterntext};
    return patterntext.split(u';');
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

bool skipfolderapplies(const QString& skipfolder, const QString& entryfolder) {
    return !entryfolder.startsWith(skipfolder);
}

QStringList skipfoldersfor(const QStringList& skipfolders, const QString& entryfolder) {
    QStringList applying;
    for (const QString& skip : skipfolders) {
        if (skipfolderapplies(skip, entryfolder))
            applying << skip;
    }
    return applying;
}

} // namespace quillfen
