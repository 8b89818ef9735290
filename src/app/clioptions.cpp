#include "app/clioptions.h"

#include "core/format.h"
#include "scan/scanengine.h"
#include "scan/scanoptions.h"

#include <QCommandLineParser>
#include <QDir>

namespace quillfen::cli {

using namespace Qt::StringLiterals;

QString usageText() {
    return u"Usage: quillfen-cli [options] FOLDER...\n"
           "Lists the duplicate files under the folders: files that share their size\n"
           "with another file and, unless --compare none is given, their contents\n"
           "too. One full path per line, an empty line between groups, largest first.\n"
           "\n"
           "Options:\n"
           "  --pattern TEXT        file-name patterns, separated by \";\" (default \"*.*\")\n"
           "  --min-kb N            ignore files smaller than N kB (1 kB = 1000 bytes)\n"
           "  --max-kb N            ignore files of N kB or larger\n"
           "  --no-subdirs          do not look in subfolders\n"
           "  --include-empty       include files of 0 bytes\n"
           "  --attributes LETTERS  include files with these attributes: letters of R\n"
           "                        (read-only), H (hidden), S, A; or \"normal\" for files\n"
           "                        with none (default RHSA)\n"
           "  --skip-folder DIR     do not descend below DIR (repeatable)\n"
           "  --skip-ext EXT        leave out files with extension EXT (repeatable)\n"
           "  --compare PASSES      compare the contents of files of equal size: a comma\n"
           "                        list of fuzzy, crc, bytewise (run in that order), or\n"
           "                        none to list the files of equal size (default\n"
           "                        fuzzy,bytewise); prints the duplicates found\n"
           "  --json                print {\"groups\": [{\"size\": N, \"files\": [...]}],\n"
           "                        \"stats\": {...}}; bytes of names that are not UTF-8\n"
           "                        are written as \\udcXX escapes\n"
           "  -h, --help            show this text\n"_s;
}

namespace {

// An absolute folder text ending in "/", "." and ".." resolved by text.
QString absoluteFolder(const QString& folder, const QString& currentFolder) {
    QString path = folder.startsWith(u'/') ? folder : currentFolder + u'/' + folder;
    return addbackslash(QDir::cleanPath(path));
}

std::optional<QString> limitColumn(const QString& option, const QString& value, QString& error) {
    bool ok = false;
    const double number = value.trimmed().toDouble(&ok);
    if (!ok || !(number >= 1 && number <= 1000000000)) {
        error = u"--%1 needs a number of kB from 1 to 1000000000, not \"%2\""_s.arg(option, value);
        return std::nullopt;
    }
    return generalNumberText(number);
}

std::optional<QString> attributeColumn(const QString& value, QString& error) {
    if (value.compare(u"normal"_s, Qt::CaseInsensitive) == 0)
        return u"Only normal"_s;
    bool letters[4] = {false, false, false, false};
    static const QString known = u"RHSA"_s;
    for (QChar c : value) {
        const qsizetype index = known.indexOf(c.toUpper());
        if (index < 0) {
            error =
                u"--attributes takes letters of R, H, S, A, or \"normal\", not \"%1\""_s.arg(value);
            return std::nullopt;
        }
        letters[index] = true;
    }
    if (value.isEmpty()) {
        error = u"--attributes needs letters of R, H, S, A, or \"normal\""_s;
        return std::nullopt;
    }
    return attributeLetters(letters[0], letters[1], letters[2], letters[3]);
}

// The plan codes of a comma list of pass names, in run order.
std::optional<QString> comparePlan(const QString& value, QString& error) {
    const QStringList names = value.split(u',');
    QString plan;
    bool none = false;
    for (const QString& raw : names) {
        const QString name = raw.trimmed().toLower();
        if (name == u"none"_s)
            none = true;
        else if (name == u"fuzzy"_s)
            plan += u'2';
        else if (name == u"crc"_s)
            plan += u'3';
        else if (name == u"bytewise"_s)
            plan += u'4';
        else {
            error =
                u"--compare takes a comma list of fuzzy, crc, bytewise, or none, not \"%1\""_s.arg(
                    value);
            return std::nullopt;
        }
    }
    if (none && (names.size() > 1)) {
        error = u"--compare none cannot be combined with passes"_s;
        return std::nullopt;
    }
    QString ordered;
    for (QChar code : {u'2', u'3', u'4'}) {
        if (plan.contains(code))
            ordered += code;
    }
    return ordered;
}

} // namespace

std::optional<Options> parseArguments(const QStringList& arguments, const QString& currentFolder,
                                      QString& error) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption pattern(u"pattern"_s, QString(), u"TEXT"_s, u"*.*"_s);
    const QCommandLineOption minKb(u"min-kb"_s, QString(), u"N"_s);
    const QCommandLineOption maxKb(u"max-kb"_s, QString(), u"N"_s);
    const QCommandLineOption noSubdirs(u"no-subdirs"_s);
    const QCommandLineOption includeEmpty(u"include-empty"_s);
    const QCommandLineOption attributes(u"attributes"_s, QString(), u"LETTERS"_s, u"RHSA"_s);
    const QCommandLineOption skipFolder(u"skip-folder"_s, QString(), u"DIR"_s);
    const QCommandLineOption skipExt(u"skip-ext"_s, QString(), u"EXT"_s);
    const QCommandLineOption compare(u"compare"_s, QString(), u"PASSES"_s);
    const QCommandLineOption json(u"json"_s);
    const QCommandLineOption help(QStringList{u"h"_s, u"help"_s});
    parser.addOptions({pattern, minKb, maxKb, noSubdirs, includeEmpty, attributes, skipFolder,
                       skipExt, compare, json, help});
    if (!parser.parse(QStringList{u"quillfen-cli"_s} + arguments)) {
        error = parser.errorText();
        return std::nullopt;
    }

    Options options;
    options.help = parser.isSet(help);
    if (options.help)
        return options;
    options.json = parser.isSet(json);

    for (const QString& name :
         {u"pattern"_s, u"min-kb"_s, u"max-kb"_s, u"attributes"_s, u"compare"_s}) {
        if (parser.values(name).size() > 1) {
            error = u"--%1 may be given only once"_s.arg(name);
            return std::nullopt;
        }
    }
    if (parser.isSet(compare)) {
        const auto plan = comparePlan(parser.value(compare), error);
        if (!plan)
            return std::nullopt;
        options.compareplan = *plan;
    }
    const QString patterntext = parser.value(pattern);
    if (patterntext.contains(u'/')) {
        error = u"--pattern cannot contain \"/\""_s;
        return std::nullopt;
    }

    std::array<QString, PathEntry::ColumnCount> columns;
    columns[PathEntry::MinSizeOn] = boolText(parser.isSet(minKb));
    columns[PathEntry::MinSizeKb] = u"-"_s;
    if (parser.isSet(minKb)) {
        const auto column = limitColumn(u"min-kb"_s, parser.value(minKb), error);
        if (!column)
            return std::nullopt;
        columns[PathEntry::MinSizeKb] = *column;
    }
    columns[PathEntry::MaxSizeOn] = boolText(parser.isSet(maxKb));
    columns[PathEntry::MaxSizeKb] = u"-"_s;
    if (parser.isSet(maxKb)) {
        const auto column = limitColumn(u"max-kb"_s, parser.value(maxKb), error);
        if (!column)
            return std::nullopt;
        columns[PathEntry::MaxSizeKb] = *column;
    }
    columns[PathEntry::Subdirs] = boolText(!parser.isSet(noSubdirs));
    columns[PathEntry::IgnoreZero] = boolText(!parser.isSet(includeEmpty));
    const auto letters = attributeColumn(parser.value(attributes), error);
    if (!letters)
        return std::nullopt;
    columns[PathEntry::Attributes] = *letters;

    const QStringList folders = parser.positionalArguments();
    if (folders.isEmpty()) {
        error = u"no FOLDER given"_s;
        return std::nullopt;
    }
    for (const QString& folder : folders) {
        if (folder.isEmpty()) {
            error = u"an empty FOLDER was given"_s;
            return std::nullopt;
        }
        PathEntry entry;
        entry.text = absoluteFolder(folder, currentFolder) + patterntext;
        entry.options = columns;
        options.pathtable.push_back(std::move(entry));
    }
    for (const QString& folder : parser.values(skipFolder)) {
        if (folder.isEmpty()) {
            error = u"--skip-folder needs a folder"_s;
            return std::nullopt;
        }
        options.skipfolders.append(absoluteFolder(folder, currentFolder));
    }
    for (QString extension : parser.values(skipExt)) {
        if (extension.startsWith(u'.'))
            extension.remove(0, 1);
        if (extension.isEmpty()) {
            error = u"--skip-ext needs an extension"_s;
            return std::nullopt;
        }
        options.skipexts.append(extension.toLower());
    }
    return options;
}

} // namespace quillfen::cli
