#pragma once

// Command-line options of quillfen-cli: what to scan, how to print it and
// what to do with the copies.

#include "core/compareplan.h"
#include "core/pathentry.h"
#include "results/keeprules.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace quillfen::cli {

struct Options {
    std::vector<PathEntry> pathtable; // one entry per FOLDER, in order
    QStringList skipfolders;          // absolute, ending in "/"
    QStringList skipexts;             // lower case, without the dot
    // Comparison passes; empty: list the files of equal size without comparing.
    ComparePlan compareplan{ComparePass::Fuzzy, ComparePass::Bytewise};
    bool json = false;
    bool null = false; // -0: NUL-terminated paths, an empty entry between groups
    bool help = false;
    bool nocache = false; // --no-cache: neither use nor fill the checksum cache

    enum class Action { None, Trash, Delete, Move, Link, UndoLast };
    Action action = Action::None;
    std::vector<KeepRule> keeprules; // priority order; empty: the assistant's defaults
    QString moveto;                  // --move-to: absolute folder ending in "/"
    bool rename = false;             // --rename: free names in moveto
    bool clone = false;              // --link clone (else hard links)
    bool dryrun = false;
    bool yes = false;
};

// Parses the arguments after the program name (decoded file-name style, so
// folder names that are not UTF-8 survive). On bad usage returns nothing and
// sets error to a message for the user. currentFolder makes relative folders
// absolute.
std::optional<Options> parseArguments(const QStringList& arguments, const QString& currentFolder,
                                      QString& error);

QString usageText();

} // namespace quillfen::cli
