#include "results/assistant.h"

#include "core/format.h"
#include "results/selection.h"

#include <algorithm>
#include <cmath>
#include <exception>

namespace quillfen {

using namespace Qt::StringLiterals;

void normalisesizetext(AssistantSettings& settings) {
    const double value = leadingNumber(settings.sizetext);
    if (value < 0)
        settings.sizetext = u"1"_s;
    else if (value > 1000000000000.0)
        settings.sizetext = u"1000000000000"_s;
}

bool assistantworking(const AssistantSettings& settings, AssistantWorking& working) {
    const int priorities[3] = {settings.kee1, settings.kee2, settings.kee3};
    const KeepCriterion criteria[3] = {KeepCriterion::Date, KeepCriterion::NameLength,
                                       KeepCriterion::FolderLength};
    bool used[3] = {false, false, false};
    for (int c = 0; c < 3; ++c) {
        const int level = priorities[c];
        if (level < 1 || level > 3 || used[level - 1])
            return false;
        used[level - 1] = true;
        working.levels[level - 1] = criteria[c];
    }

    working.sizeon = settings.sizeon;
    working.sizeatleast = settings.sizeatleast;
    // Beyond any file's size either way; keeps the conversion defined.
    const double limit =
        std::clamp(roundHalfEven(leadingNumber(settings.sizetext), 4), -9.0e18, 9.0e18);
    working.sizelimit = qint64(settings.sizeatleast ? std::ceil(limit) : std::floor(limit));

    working.name = settings.nametext.trimmed().toLower();
    working.nameon = settings.nameon && !working.name.isEmpty();
    working.namemustmatch = settings.namemustmatch;

    const QString words = settings.wordstext.trimmed().toLower();
    working.wordson = settings.wordson && !words.isEmpty();
    working.wordsmustcontain = settings.wordsmustcontain;
    working.words = words.split(u'/');

    // Folders are compared exactly: Linux file systems tell case apart.
    working.folders = settings.folders;
    working.folderon = !settings.folders.isEmpty();
    working.pathmustmatch = settings.pathmustmatch;
    working.subdirs = settings.includesubdirs;

    working.keepnewest = settings.keepnewest;
    working.keeplongestname = settings.keeplongestname;
    working.keeplongestfolder = settings.keeplongestfolder;
    return true;
}

bool assistantmatches(const ResultEntry& entry, const AssistantWorking& working) {
    if (entry.isSeparator())
        return false;
    if (working.sizeon) {
        const qint64 value = std::max<qint64>(entry.size, 0);
        if (working.sizeatleast ? value < working.sizelimit : value > working.sizelimit)
            return false;
    }
    if (working.nameon || working.wordson) {
        const QString name = entry.filename.toLower();
        if (working.nameon && (name == working.name) != working.namemustmatch)
            return false;
        if (working.wordson) {
            bool contains = false;
            for (const QString& word : working.words) {
                if (name.contains(word)) {
                    contains = true;
                    break;
                }
            }
            if (contains != working.wordsmustcontain)
                return false;
        }
    }
    if (working.folderon) {
        const QString fullPath = working.subdirs ? entry.fullPath() : QString();
        bool inside = false;
        for (const QString& folder : working.folders) {
            if (working.subdirs ? fullPath.startsWith(folder) : entry.path == folder) {
                inside = true;
                break;
            }
        }
        if (inside != working.pathmustmatch)
            return false;
    }
    return true;
}

void assistantfilter(ResultList& list, const AssistantWorking& working) {
    for (ResultEntry& entry : list)
        entry.checked = assistantmatches(entry, working);
}

namespace {

// Characters, not UTF-16 units: a name with an emoji is not longer for it.
qint64 characterCount(const QString& text) {
    qint64 count = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!(text[i].isLowSurrogate() && i > 0 && text[i - 1].isHighSurrogate()))
            ++count;
    }
    return count;
}

qint64 criterionValue(const ResultEntry& entry, KeepCriterion criterion) {
    switch (criterion) {
    case KeepCriterion::Date:
        // Both date texts are written from mtime, so reading either back
        // gives this value, seconds included.
        return entry.mtime;
    case KeepCriterion::NameLength:
        return characterCount(entry.filename);
    case KeepCriterion::FolderLength:
        return characterCount(entry.path);
    }
    return 0;
}

// Decides one group (rows first to last - 1, all non-separators).
void decideGroup(ResultList& list, size_t first, size_t last, const AssistantWorking& working) {
    bool anyUnchecked = false;
    for (size_t row = first; row < last; ++row)
        anyUnchecked = anyUnchecked || !list[row].checked;
    std::vector<qint64> values(last - first);
    for (int level = 0; level < 3; ++level) {
        const KeepCriterion criterion = working.levels[level];
        bool differ = false;
        for (size_t row = first; row < last; ++row) {
            values[row - first] = criterionValue(list[row], criterion);
            differ = differ || values[row - first] != values[0];
        }
        if (!differ && level < 2)
            continue;
        if (anyUnchecked)
            return; // a rule already keeps a file of this group
        bool largest = false;
        bool lastOfTies = false;
        switch (criterion) {
        case KeepCriterion::Date:
            largest = working.keepnewest;
            lastOfTies = true;
            break;
        case KeepCriterion::NameLength:
            largest = working.keeplongestname;
            break;
        case KeepCriterion::FolderLength:
            largest = working.keeplongestfolder;
            break;
        }
        size_t keep = 0;
        for (size_t k = 1; k < values.size(); ++k) {
            const bool better = largest ? values[k] > values[keep] : values[k] < values[keep];
            if (better || (lastOfTies && values[k] == values[keep]))
                keep = k;
        }
        list[first + keep].checked = false;
        return;
    }
}

} // namespace

void assistantkeep(ResultList& list, const AssistantWorking& working) {
    size_t row = 0;
    while (row < list.size()) {
        if (list[row].isSeparator()) {
            ++row;
            continue;
        }
        // A group: the run of rows with the colour of its first row.
        size_t end = row + 1;
        while (end < list.size() && !list[end].isSeparator() &&
               list[end].colour == list[row].colour)
            ++end;
        decideGroup(list, row, end, working);
        row = end;
    }
}

AssistantOutcome runassistant(AppState& state, Frontend& frontend) {
    MessageBoxes& boxes = frontend.messages();
    normalisesizetext(state.assistant);
    AssistantWorking working;
    if (!assistantworking(state.assistant, working)) {
        boxes.inform(u"You must set a different priority for each of the fields."_s,
                     MessageIcon::Exclamation);
        return AssistantOutcome::EqualPriorities;
    }
    if (state.resultlist.empty())
        return AssistantOutcome::EmptyList;

    // Both phases work on a copy: a run that fails half-way must not leave
    // groups with every file checked.
    qsizetype selected = 0;
    try {
        ResultList list = state.resultlist;
        assistantfilter(list, working);
        assistantkeep(list, working);
        for (size_t row = 0; row < list.size(); ++row) {
            state.resultlist[row].checked = list[row].checked;
            selected += list[row].checked ? 1 : 0;
        }
    } catch (const std::exception& error) {
        boxes.inform(QString::fromLocal8Bit(error.what()), MessageIcon::None);
        return AssistantOutcome::Failed;
    }
    frontend.resultChecksChanged();
    recountselected(state, frontend);
    frontend.closeDialog(Dialog::SelectionAssistant);
    boxes.inform(QString::number(selected) + u" file(s) have been selected!"_s,
                 MessageIcon::Information);
    return AssistantOutcome::Selected;
}

void addassistantfolder(AssistantSettings& settings, const QString& folder) {
    if (folder.isEmpty())
        return;
    settings.folders.append(folder.endsWith(u'/') ? folder : folder + u'/');
}

void removeassistantfolder(AssistantSettings& settings, qsizetype index) {
    if (index >= 0 && index < settings.folders.size())
        settings.folders.removeAt(index);
}

void clearassistantfolders(AssistantSettings& settings, MessageBoxes& boxes) {
    if (!settings.folders.isEmpty() &&
        !boxes.askYesNo(u"Are you sure that you would like to clear the list?"_s,
                        MessageIcon::Information, MessageAnswer::No))
        return;
    settings.folders.clear();
}

} // namespace quillfen
