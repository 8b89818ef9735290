#pragma once

// Command-line options of quillfen-cli: what to scan and how to print it.

#include "core/pathentry.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace quillfen::cli {

struct Options {
    std::vector<PathEntry> pathtable; // one entry per FOLDER, in order
    QStringList skipfolders;          // absolute, ending in "/"
    QStringList skipexts;             // lower case, without the dot
    // Comparison passes as plan codes ("2" fuzzy, "3" CRC, "4" bytewise, run
    // in that order); empty: list the files of equal size without comparing.
    QString compareplan = QStringLiteral("24");
    bool json = false;
    bool help = false;
};

// Parses the arguments after the program name (decoded file-name style, so
// folder names that are not UTF-8 survive). On bad usage returns nothing and
// sets error to a message for the user. currentFolder makes relative folders
// absolute.
std::optional<Options> parseArguments(const QStringList& arguments, const QString& currentFolder,
                                      QString& error);

QString usageText();

} // namespace quillfen::cli
