#pragma once

// What the Settings dialog does to its boxes and lists: the after-search
// boxes that keep each other consistent, the skip lists that hold each text
// once, and the named pattern lists with their editor. The dialog's widgets
// only show the state and call these.

#include "core/appstate.h"
#include "core/messages.h"

#include <QString>
#include <QStringList>

namespace quillfen {

// The four boxes under "After the search is done...".
enum class AfterSearchBox { DoNothing, Fuzzy, Crc, Bytewise };

// A box's check-box value: 0 unticked, 1 ticked, 2 greyed.
int afterSearchValue(const SettingsDialogState& settings, AfterSearchBox box);

// The user ticked or unticked a box. Then the two rules run: "Do nothing"
// excludes the three passes, and at least one of the four stays ticked.
void setAfterSearchBox(SettingsDialogState& settings, AfterSearchBox box, bool ticked);

// Adds the folder chosen in the folder browser as a ticked row. Nothing is
// added when nothing was chosen or a row with that text is listed already.
bool addskipfolder(SettingsDialogState& settings, const QString& chosen);

// Adds the extension typed into the box: blanks around it and one leading
// "." dropped, lower-cased, ticked. The box is emptied only when a row was
// added; an empty extension or one listed already (in any letter case) is
// refused.
bool addskipextension(SettingsDialogState& settings, QString& box);

// Removes row `row` of a list; nothing happens when it is out of range.
template <typename Entry> bool removeListRow(std::vector<Entry>& list, int row) {
    if (row < 0 || row >= int(list.size()))
        return false;
    list.erase(list.begin() + row);
    return true;
}

// The pattern tab's Restore default: the built-in lists only.
void restoredefaultpatterns(AppState& state);

// The warnings of the pattern tab and its editor.
QString forbiddenPatternMessage(); // "Your pattern can't contain the characters: ..."
QString missingListNameMessage();  // "You must enter a name for the list of patterns!"
QString barInListNameMessage();

// A name for a pattern list as typed: trimmed. The settings file keeps a
// list as name, "|" and patterns, so a name holding "|" would not survive a
// restart (warned about); an empty name is refused silently when adding and
// with a warning when saving the editor.
enum class ListNameCheck { Ok, Empty, HoldsBar };
ListNameCheck checkListName(const QString& trimmedName);

// The pattern tab's "A&dd": appends a list with the trimmed name and no
// patterns. False (and a warning for a "|") when the name is refused.
bool addpatternlist(SettingsDialogState& settings, const QString& name, MessageBoxes& messages);

// Patterns in the form a pattern list keeps them: "p1; p2; p3".
QString joinpatterns(const QStringList& patterns);

// The pattern editor's boxes and list while a list is being edited.
struct PatternEditor {
    bool open = false;
    QString name;         // "Pattern name"
    QStringList patterns; // the patterns of the list being edited
    QString newpattern;   // "Pattern"
    QString changebox;    // the box that changes the selected pattern
};

// Opens row `row` of the pattern-list table in the editor; false (nothing
// changes) when no valid row is given. The row's patterns are split at ";",
// each trimmed; empty pieces are left out.
bool editpatternlist(SettingsDialogState& settings, PatternEditor& editor, int row);

// A pattern of the editor's list was clicked.
void selecteditorpattern(SettingsDialogState& settings, PatternEditor& editor, int index);

// The editor's "A&dd": the trimmed new pattern is appended and its box
// emptied, unless it holds a forbidden character (warning, nothing added)
// or is empty. True when a pattern was added.
bool addeditorpattern(PatternEditor& editor, MessageBoxes& messages);

// The editor's "&Update": the selected pattern becomes the change box's
// text, trimmed and under the same character test as Add. Nothing happens
// without a selected pattern or with an empty text.
bool updateeditorpattern(const SettingsDialogState& settings, PatternEditor& editor,
                         MessageBoxes& messages);

// The editor's "Re&move" of the pattern at `current` (the list's current
// row) and "C&lear"; both leave no pattern selected.
void removeeditorpattern(SettingsDialogState& settings, PatternEditor& editor, int current);
void cleareditorpatterns(SettingsDialogState& settings, PatternEditor& editor);

// "&Save": checks the name, writes name and joined patterns into the row
// being edited and closes the editor. False (editor stays open) after a
// warning about the name.
bool saveeditor(SettingsDialogState& settings, PatternEditor& editor, MessageBoxes& messages);

// "&Cancel": closes the editor; the row keeps its name and patterns.
void canceleditor(PatternEditor& editor);

} // namespace quillfen
