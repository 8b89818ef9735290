#include "core/settingsedits.h"

#include "core/defaultlists.h"

#include <optional>

namespace quillfen {

using namespace Qt::StringLiterals;

namespace {

// Slash, backslash, colon, question mark, double quote, less-than,
// greater-than, vertical bar and semicolon, in the order the warning lists them.
const QString forbiddenCharacters = u"/\\:?\"<>|;"_s;

template <typename Settings> auto& boxValue(Settings& settings, AfterSearchBox box) {
    switch (box) {
    case AfterSearchBox::DoNothing:
        return settings.donothing;
    case AfterSearchBox::Fuzzy:
        return settings.fuzzy;
    case AfterSearchBox::Crc:
        return settings.crc;
    case AfterSearchBox::Bytewise:
        break;
    }
    return settings.bytewise;
}

bool anyPassTicked(const SettingsDialogState& settings) {
    return settings.fuzzy == 1 || settings.crc == 1 || settings.bytewise == 1;
}

bool holdsForbiddenCharacter(const QString& pattern) {
    for (QChar c : pattern) {
        if (forbiddenCharacters.contains(c))
            return true;
    }
    return false;
}

} // namespace

int afterSearchValue(const SettingsDialogState& settings, AfterSearchBox box) {
    return boxValue(settings, box);
}

void setAfterSearchBox(SettingsDialogState& settings, AfterSearchBox box, bool ticked) {
    boxValue(settings, box) = ticked ? 1 : 0;
    if (box == AfterSearchBox::DoNothing) {
        if (!anyPassTicked(settings))
            settings.donothing = 1;
        if (settings.donothing == 1)
            settings.fuzzy = settings.crc = settings.bytewise = 0;
        return;
    }
    if (ticked)
        settings.donothing = 0;
    if (settings.donothing != 1 && !anyPassTicked(settings))
        settings.donothing = 1;
}

bool addskipfolder(SettingsDialogState& settings, const QString& chosen) {
    QString folder = chosen;
    const qsizetype nul = folder.indexOf(QChar(0));
    if (nul >= 0)
        folder.truncate(nul);
    if (folder.isEmpty())
        return false;
    if (!folder.endsWith(u'/'))
        folder += u'/';
    // Folders are compared exactly: two names that differ in case are two folders here.
    for (const CheckedEntry& entry : settings.skipfolderlist) {
        if (entry.text == folder)
            return false;
    }
    settings.skipfolderlist.push_back(CheckedEntry{folder, true, true});
    return true;
}

bool addskipextension(SettingsDialogState& settings, QString& box) {
    QString extension = box.trimmed();
    if (extension.startsWith(u'.'))
        extension.remove(0, 1);
    extension = extension.toLower();
    if (extension.isEmpty())
        return false;
    // Extensions are matched without regard to case, so rows loaded from the
    // settings file in another case count as the same extension.
    for (const CheckedEntry& entry : settings.skipextlist) {
        if (entry.text.compare(extension, Qt::CaseInsensitive) == 0)
            return false;
    }
    settings.skipextlist.push_back(CheckedEntry{extension, true, true});
    box.clear();
    return true;
}

void restoredefaultpatterns(AppState& state) {
    state.settings.patternlists.clear();
    addpats(state);
}

QString forbiddenPatternMessage() {
    return u"Your pattern can't contain the characters: "_s + forbiddenCharacters;
}

QString missingListNameMessage() {
    return u"You must enter a name for the list of patterns!"_s;
}

QString barInListNameMessage() {
    return u"The name of a list of patterns can't contain the character |"_s;
}

ListNameCheck checkListName(const QString& trimmedName) {
    if (trimmedName.isEmpty())
        return ListNameCheck::Empty;
    if (trimmedName.contains(u'|'))
        return ListNameCheck::HoldsBar;
    return ListNameCheck::Ok;
}

bool addpatternlist(SettingsDialogState& settings, const QString& name, MessageBoxes& messages) {
    const QString trimmed = name.trimmed();
    switch (checkListName(trimmed)) {
    case ListNameCheck::Empty:
        return false;
    case ListNameCheck::HoldsBar:
        messages.inform(barInListNameMessage(), MessageIcon::Exclamation);
        return false;
    case ListNameCheck::Ok:
        break;
    }
    settings.patternlists.push_back(PatternListEntry{trimmed, QString()});
    return true;
}

QString joinpatterns(const QStringList& patterns) {
    return patterns.join(u"; "_s);
}

bool editpatternlist(SettingsDialogState& settings, PatternEditor& editor, int row) {
    if (row < 0 || row >= int(settings.patternlists.size()))
        return false;
    const PatternListEntry& entry = settings.patternlists[size_t(row)];
    settings.editingrow = row;
    // A choice made while editing another list must not pick a pattern of this one.
    settings.selectedpattern = -1;
    editor = PatternEditor();
    editor.open = true;
    editor.name = entry.name;
    // A one-character pattern such as "*" is a pattern too: leaving it out
    // would empty the list at the next Save.
    for (const QString& piece : entry.patterns.split(u';')) {
        const QString pattern = piece.trimmed();
        if (!pattern.isEmpty())
            editor.patterns.append(pattern);
    }
    return true;
}

void selecteditorpattern(SettingsDialogState& settings, PatternEditor& editor, int index) {
    if (editor.patterns.isEmpty() || index < 0 || index >= editor.patterns.size())
        return;
    settings.selectedpattern = index;
    editor.changebox = editor.patterns[index];
}

namespace {

// The text of a new or changed pattern, or nothing when it is empty or would
// be cut apart when a path is scanned with it ("/" or ";").
std::optional<QString> acceptedPattern(const QString& text, MessageBoxes& messages) {
    const QString pattern = text.trimmed();
    if (holdsForbiddenCharacter(pattern)) {
        messages.inform(forbiddenPatternMessage(), MessageIcon::Exclamation);
        return std::nullopt;
    }
    if (pattern.isEmpty())
        return std::nullopt;
    return pattern;
}

} // namespace

bool addeditorpattern(PatternEditor& editor, MessageBoxes& messages) {
    const std::optional<QString> pattern = acceptedPattern(editor.newpattern, messages);
    if (!pattern)
        return false;
    editor.newpattern.clear();
    editor.patterns.append(*pattern);
    return true;
}

bool updateeditorpattern(const SettingsDialogState& settings, PatternEditor& editor,
                         MessageBoxes& messages) {
    const int index = settings.selectedpattern;
    if (index < 0 || index >= editor.patterns.size())
        return false;
    const std::optional<QString> pattern = acceptedPattern(editor.changebox, messages);
    if (!pattern)
        return false;
    editor.patterns[index] = *pattern;
    return true;
}

void removeeditorpattern(SettingsDialogState& settings, PatternEditor& editor, int current) {
    if (current >= 0 && current < editor.patterns.size())
        editor.patterns.removeAt(current);
    settings.selectedpattern = -1;
}

void cleareditorpatterns(SettingsDialogState& settings, PatternEditor& editor) {
    settings.selectedpattern = -1;
    editor.patterns.clear();
}

bool saveeditor(SettingsDialogState& settings, PatternEditor& editor, MessageBoxes& messages) {
    const QString name = editor.name.trimmed();
    switch (checkListName(name)) {
    case ListNameCheck::Empty:
        messages.inform(missingListNameMessage(), MessageIcon::Exclamation);
        return false;
    case ListNameCheck::HoldsBar:
        messages.inform(barInListNameMessage(), MessageIcon::Exclamation);
        return false;
    case ListNameCheck::Ok:
        break;
    }
    const int row = settings.editingrow;
    if (row >= 0 && row < int(settings.patternlists.size()))
        settings.patternlists[size_t(row)] = PatternListEntry{name, joinpatterns(editor.patterns)};
    canceleditor(editor);
    return true;
}

void canceleditor(PatternEditor& editor) {
    editor.changebox.clear();
    editor.newpattern.clear();
    editor.open = false;
}

} // namespace quillfen
