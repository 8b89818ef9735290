#include "scan/scanpaths.h"

#include "core/defaultlists.h"
#include "core/messages.h"
#include "scan/scanoptions.h"

namespace quillfen {

using namespace Qt::StringLiterals;

namespace {

// A pattern text never holds a folder separator: the scan takes the folder
// up to the entry's last "/", so one inside the patterns would move it.
QString safePatterns(const QString& patterns) {
    QString text = patterns;
    text.remove(u'/');
    return text;
}

} // namespace

QString lookuppatterns(const SettingsDialogState& settings, const QString& name) {
    for (const PatternListEntry& entry : settings.patternlists) {
        if (entry.name == name)
            return entry.patterns;
    }
    return QString();
}

QString withoutseparators(const QString& text) {
    QString result = text;
    result.remove(u'\\');
    result.remove(u'/');
    return result;
}

QStringList patternSelectorItems() {
    return {u"Predefined filepatterns:"_s, u"Specific filepatterns:"_s};
}

QStringList specificPatternSuggestions() {
    return {u"*.*"_s,          u"*.mp3; *.wma; *.wave"_s,
            u"*.txt; *.doc"_s, u"*.zip"_s,
            u"*.rar"_s,        u"*.avi; *.mpg; *.mkv"_s,
            u"*.mpeg"_s,       u"*.wmv"_s,
            u"*.mov"_s,        u"*.wav"_s,
            u"*.jpg"_s,        u"*.jpeg"_s,
            u"*.gif"_s,        u"*.bmp"_s,
            u"*.doc"_s};
}

QString clearPathsQuestion() {
    return u"Are you sure that you wan't to clear the list?"_s;
}

QString noDriveTickedMessage() {
    return u"You must select a drive to search for files."_s;
}

QString nothingToScanReminder() {
    return crlfJoin({u"You still haven't added anything to scan!"_s, QString(),
                     u"Don't forget to click on the 'Add selected drives' or 'Add folder..'"_s,
                     u"button to actually add a path to the list."_s});
}

void scanpathsactivate(AppState& state, const std::vector<platform::Drive>& drives) {
    if (state.settings.patternlists.empty())
        addpats(state);
    if (state.scanpaths.drivelist.empty()) {
        for (const platform::Drive& drive : drives)
            state.scanpaths.drivelist.push_back(DriveRow{drive, false});
    }
    state.scanpaths.patternselector = PatternSource::Predefined;
}

QString newentrypatterns(const AppState& state, const QString& chosenListName) {
    if (state.scanpaths.patternselector == PatternSource::Predefined)
        return lookuppatterns(state.settings, chosenListName);
    return state.scanpaths.specificpatterns;
}

int addfolderpath(AppState& state, const QString& chosen, const QString& patterns) {
    QString folder = chosen;
    const qsizetype nul = folder.indexOf(QChar(0));
    if (nul >= 0)
        folder.truncate(nul);
    if (folder.isEmpty())
        return -1;
    std::vector<PathEntry>& table = state.scanpaths.pathtable;
    table.push_back(newpathentry(state, folder, safePatterns(patterns)));
    return int(table.size()) - 1;
}

int adddrivepaths(AppState& state, const QString& patterns) {
    // The limit boxes are corrected even when no drive is ticked.
    readscanoptions(state);
    int added = 0;
    for (const DriveRow& row : state.scanpaths.drivelist) {
        if (!row.ticked || row.drive.root.isEmpty())
            continue;
        state.scanpaths.pathtable.push_back(
            newpathentry(state, row.drive.root, safePatterns(patterns)));
        ++added;
    }
    return added;
}

bool removepath(ScanPathsState& paths, int row) {
    if (row < 0 || row >= int(paths.pathtable.size()))
        return false;
    paths.pathtable.erase(paths.pathtable.begin() + row);
    return true;
}

void clearpaths(ScanPathsState& paths) {
    paths.pathtable.clear();
}

QStringList showpathsettings(const PathEntry& entry) {
    const EntryOptions& options = entry.options;
    const auto column = optioncolumns(options);
    QStringList lines{QString()};
    if (options.minsizeon)
        lines << u"  Ignore files smaller than "_s + column[PathEntry::MinSizeKb] + u" kB"_s;
    if (options.maxsizeon)
        lines << u"  Ignore files larger than "_s + column[PathEntry::MaxSizeKb] + u" kB"_s;
    lines << (options.subdirs ? u"  Check subdirectories: Yes"_s : u"  Check subdirectories: No"_s);
    lines << (options.ignorezero ? u"  Ignore 0 byte files: Yes"_s
                                 : u"  Ignore 0 byte files: No"_s);
    lines << u"  File attributes: "_s + column[PathEntry::Attributes];
    return lines;
}

} // namespace quillfen
