#pragma once

// The selection assistant: a filter phase checks every entry that meets all
// active rules and unchecks the rest; a keep phase then unchecks, in every
// group whose files are all checked, the one file that the ranked keep
// criteria (file date, file-name length, folder length) choose to keep.
// The dialog edits AppState::assistant and calls runassistant on "&OK".

#include "core/appstate.h"
#include "core/frontend.h"

#include <QStringList>

namespace quillfen {

enum class KeepCriterion { Date, NameLength, FolderLength };

// The values the run works with, built from the dialog's controls.
struct AssistantWorking {
    bool sizeon = false;
    bool sizeatleast = true;
    // The limit in whole bytes: the box's bytes (four decimals) rounded up
    // for "at least" and down for "at most", so that whole sizes compare
    // with it as with the box's value.
    qint64 sizelimit = 0;

    bool nameon = false;
    bool namemustmatch = true;
    QString name; // trimmed, lower case

    bool wordson = false;
    bool wordsmustcontain = true;
    QStringList words; // lower case, split at "/"; may hold empty words

    bool folderon = false;
    bool pathmustmatch = true;
    bool subdirs = false;
    QStringList folders;

    bool keepnewest = false;
    bool keeplongestname = false;
    bool keeplongestfolder = false;
    // The criterion examined at priority level 1, 2 and 3.
    KeepCriterion levels[3] = {KeepCriterion::Date, KeepCriterion::NameLength,
                               KeepCriterion::FolderLength};
};

// Step 1 of "&OK": a size text below 0 becomes "1", one above
// 1,000,000,000,000 becomes "1000000000000".
void normalisesizetext(AssistantSettings& settings);

// The working values; a file-name or words rule with a blank text is off, the
// folder rule is off without folders. False when two priorities are equal
// (or one is not 1, 2 or 3).
bool assistantworking(const AssistantSettings& settings, AssistantWorking& working);

// Whether a row satisfies every active rule (a separator row never does).
bool assistantmatches(const ResultEntry& entry, const AssistantWorking& working);

// Both phases on a list's check boxes.
void assistantfilter(ResultList& list, const AssistantWorking& working);
void assistantkeep(ResultList& list, const AssistantWorking& working);

enum class AssistantOutcome {
    Selected,        // the list was set; the dialog was closed and the count shown
    EqualPriorities, // the message was shown; the dialog stays open
    EmptyList,       // nothing to do; the dialog stays open
    Failed,          // an unexpected failure was shown; the list is unchanged
};

// "&OK": normalise, build, run both phases, recount, close the dialog and
// show " file(s) have been selected!".
AssistantOutcome runassistant(AppState& state, Frontend& frontend);

// The folder list: "&Browse.." appends a folder (with a trailing "/"; no
// check for duplicates), "&Remove" takes out the selected entry (-1: none),
// "Cl&ear" asks before it empties a list that has entries.
void addassistantfolder(AssistantSettings& settings, const QString& folder);
void removeassistantfolder(AssistantSettings& settings, qsizetype index);
void clearassistantfolders(AssistantSettings& settings, MessageBoxes& boxes);

} // namespace quillfen
