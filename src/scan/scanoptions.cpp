#include "scan/scanoptions.h"

#include "core/format.h"
#include "scan/scanengine.h"

namespace quillfen {

using namespace Qt::StringLiterals;

namespace {

// A size limit box: at least 1 kB and at most 1000000000 kB; the box's text
// is corrected in place.
SizeLimit clampLimit(QString& text) {
    if (leadingNumber(text) < 1)
        text = u"1"_s;
    if (leadingNumber(text) > 1000000000)
        text = u"1000000000"_s;
    return SizeLimit::fromKb(leadingNumber(text));
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
    EntryOptions& options = entry.options;
    // A limit that is off keeps no value: its column shows none.
    options.minsizeon = state.minsizeon;
    if (state.minsizeon)
        options.minsize = state.minsize;
    options.maxsizeon = state.maxsizeon;
    if (state.maxsizeon)
        options.maxsize = state.maxsize;
    options.subdirs = state.subdirs;
    options.ignorezero = state.ignorezero;
    options.readonly = boxes.readonlybox;
    options.hidden = boxes.hiddenbox;
    options.system = boxes.systembox;
    options.archive = boxes.archivebox;
    return entry;
}

QStringList splitpatterns(const QString& patterntext) {
    if (patterntext.indexOf(u'*') == patterntext.lastIndexOf(u'*'))
        return {patterntext};
    return patterntext.split(u';');
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
