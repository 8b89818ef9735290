#pragma once

#include <QString>
#include <QStringList>

namespace quillfen {

// The controls of the selection assistant. The dialog is hidden rather than
// destroyed, so these values last until the program ends; they are not saved.
struct AssistantSettings {
    // Keep criteria: the option pairs and the three priority boxes.
    bool keepnewest = false;        // "Keep the NEWEST files" (else OLDEST)
    bool keeplongestname = false;   // "... LONGEST filenames" (else SHORTEST)
    bool keeplongestfolder = false; // "... LONGEST directory" (else SHORTEST)
    int kee1 = 1;                   // priority of the file date
    int kee2 = 2;                   // priority of the file-name length
    int kee3 = 3;                   // priority of the folder length

    bool advancedshown = false; // the rule section; hidden rules still apply

    // Size rule: "Size must be" "at least"/"at most" Text1 "Bytes".
    bool sizeon = false;
    bool sizeatleast = true;
    QString sizetext; // Text1

    // File-name rule: "Filename" "must match"/"can't match" Text2.
    bool nameon = false;
    bool namemustmatch = true;
    QString nametext; // Text2

    // Words rule: "Filename" "must contain"/"can't contain" Text3, words split at "/".
    bool wordson = false;
    bool wordsmustcontain = true;
    QString wordstext; // Text3

    // Folder rule: active while the folder list is not empty.
    bool pathmustmatch = true; // "Path must match" (else "Path can't match")
    bool includesubdirs = false;
    QStringList folders; // List1, each ending in "/"
};

} // namespace quillfen
