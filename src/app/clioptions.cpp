#include "app/clioptions.h"

#include "core/format.h"
#include "scan/scanengine.h"
#include "scan/scanoptions.h"

#include <QCommandLineParser>
#include <QDir>
#include <algorithm>
#include <iterator>

namespace quillfen::cli {

using namespace Qt::StringLiterals;

QString usageText() {
    return u"Usage: quillfen-cli [options] FOLDER...\n"
           "Lists the duplicate files under the folders: files that share their size\n"
           "with another file and, unless --compare none is given, their contents\n"
           "too. One full path per line, an empty line between groups, largest first;\n"
           "every group has two or more files. With an action, one file of each group\n"
           "is kept and the others are moved to the trash, deleted or moved.\n"
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
           "  --no-cache            neither use nor fill the cache of checksums in\n"
           "                        ~/.cache/quillfen/checksums.sqlite (a crc pass\n"
           "                        takes a file's checksums from it while its device,\n"
           "                        inode, size, modification and change times are\n"
           "                        those they were kept under; bytewise uses it only to\n"
           "                        tell files apart and still compares the bytes)\n"
           "  -h, --help            show this text\n"
           "\n"
           "Output:\n"
           "  -0, --null            each path as its bytes followed by a NUL byte, an\n"
           "                        empty entry (one more NUL) between groups\n"
           "  --json                print {\"groups\": [{\"size\": N, \"files\": [...]}],\n"
           "                        \"stats\": {...}}; bytes of names that are not UTF-8\n"
           "                        are written as \\udcXX escapes\n"
           "\n"
           "Without them, names are escaped so that none can end a line or fake a\n"
           "group: a backslash is written as \\\\, a line feed as \\n, a tab as \\t, and\n"
           "other bytes below 0x20, the byte 0x7f, every byte that is not part of\n"
           "valid UTF-8 and the bytes of the characters U+0080 to U+009F, U+2028 and\n"
           "U+2029 as \\xHH (two lower-case hex digits).\n"
           "\n"
           "Actions (at most one; all but --undo-last need --compare with crc or\n"
           "bytewise):\n"
           "  --trash               move the other files of each group to the trash\n"
           "  --delete              delete the other files of each group for good\n"
           "  --move-to DIR         move the other files of each group into DIR\n"
           "  --rename              with --move-to: a file whose name is taken in DIR\n"
           "                        gets a free one, name(0).ext, name(1).ext, ...\n"
           "  --link KIND           keep every name but free the space: the other files\n"
           "                        of each group become hard links of the kept file\n"
           "                        (KIND hard: the names then share one set of\n"
           "                        permissions and dates) or copy-on-write clones of it\n"
           "                        (KIND clone, on btrfs, XFS or bcachefs: each keeps\n"
           "                        its own); files on another file system than the\n"
           "                        kept one, or where clones cannot be made, are left\n"
           "                        as they are\n"
           "  --undo-last           take back the last --trash, --move-to or --link (or\n"
           "                        the window's last recycle, move or link) from the\n"
           "                        journal in ~/.local/state/quillfen/journal; a name\n"
           "                        taken again meanwhile is never overwritten; a\n"
           "                        --delete cannot be taken back; no FOLDER is given\n"
           "  --keep RULES          which file of each group is kept: a comma list in\n"
           "                        priority order of oldest, newest, shortest-name,\n"
           "                        longest-name, shortest-folder, longest-folder; a\n"
           "                        later rule decides between files that an earlier one\n"
           "                        finds equal; every group keeps one file (default\n"
           "                        oldest,shortest-name,shortest-folder)\n"
           "  --dry-run             change nothing; list on stderr each file of each\n"
           "                        group with what would be done to it\n"
           "  --yes                 act without asking; otherwise the program asks once\n"
           "                        on the terminal and refuses when standard input is\n"
           "                        not a terminal\n"
           "\n"
           "The groups are printed to stdout first, as without an action. A file that\n"
           "changed after it was compared is left alone. Each file that could not be\n"
           "handled gives one line on stderr, escaped like the output.\n"
           "\n"
           "Exit status:\n"
           "  0  the groups were listed and every file of the action was handled\n"
           "  1  the output could not be written, or the action failed on a file\n"
           "  2  bad usage, a folder that cannot be opened, or an action that was\n"
           "     refused or not confirmed (nothing was changed)\n"_s;
}

namespace {

// An absolute folder text ending in "/", "." and ".." resolved by text.
QString absoluteFolder(const QString& folder, const QString& currentFolder) {
    QString path = folder.startsWith(u'/') ? folder : currentFolder + u'/' + folder;
    return addbackslash(QDir::cleanPath(path));
}

// A limit as the Scan paths dialog's limit boxes take it: kB to four decimals.
std::optional<SizeLimit> sizeLimit(const QString& option, const QString& value, QString& error) {
    bool ok = false;
    const double number = value.trimmed().toDouble(&ok);
    if (!ok || !(number >= 1 && number <= 1000000000)) {
        error = u"--%1 needs a number of kB from 1 to 1000000000, not \"%2\""_s.arg(option, value);
        return std::nullopt;
    }
    return SizeLimit::fromKb(number);
}

// The attributes a file may carry, from letters of R, H, S, A or "normal"
// (none of them); false when the text is neither.
bool readAttributes(const QString& value, EntryOptions& options, QString& error) {
    if (value.compare(u"normal"_s, Qt::CaseInsensitive) == 0) {
        options.readonly = options.hidden = options.system = options.archive = false;
        return true;
    }
    bool letters[4] = {false, false, false, false};
    static const QString known = u"RHSA"_s;
    for (QChar c : value) {
        const qsizetype index = known.indexOf(c.toUpper());
        if (index < 0) {
            error =
                u"--attributes takes letters of R, H, S, A, or \"normal\", not \"%1\""_s.arg(value);
            return false;
        }
        letters[index] = true;
    }
    if (value.isEmpty()) {
        error = u"--attributes needs letters of R, H, S, A, or \"normal\""_s;
        return false;
    }
    options.readonly = letters[0];
    options.hidden = letters[1];
    options.system = letters[2];
    options.archive = letters[3];
    return true;
}

// The plan codes of a comma list of pass names, in run order.
std::optional<ComparePlan> comparePlan(const QString& value, QString& error) {
    const QStringList names = value.split(u',');
    ComparePlan plan;
    bool none = false;
    for (const QString& raw : names) {
        const QString name = raw.trimmed().toLower();
        if (name == u"none"_s)
            none = true;
        else if (name == u"fuzzy"_s)
            plan.add(ComparePass::Fuzzy);
        else if (name == u"crc"_s)
            plan.add(ComparePass::Crc);
        else if (name == u"bytewise"_s)
            plan.add(ComparePass::Bytewise);
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
    return plan;
}

// The rules of --keep in priority order.
std::optional<std::vector<KeepRule>> keepRules(const QString& value, QString& error) {
    static const std::pair<QString, KeepRule> words[] = {
        {u"oldest"_s, KeepRule::Oldest},
        {u"newest"_s, KeepRule::Newest},
        {u"shortest-name"_s, KeepRule::ShortestName},
        {u"longest-name"_s, KeepRule::LongestName},
        {u"shortest-folder"_s, KeepRule::ShortestFolder},
        {u"longest-folder"_s, KeepRule::LongestFolder},
    };
    std::vector<KeepRule> rules;
    for (const QString& raw : value.split(u',')) {
        const QString word = raw.trimmed().toLower();
        const auto known = std::find_if(std::begin(words), std::end(words),
                                        [&word](const auto& pair) { return pair.first == word; });
        if (known == std::end(words)) {
            error = u"--keep takes a comma list of oldest, newest, shortest-name, longest-name, "
                    "shortest-folder, longest-folder, not \"%1\""_s.arg(raw);
            return std::nullopt;
        }
        rules.push_back(known->second);
    }
    AssistantWorking working;
    if (!keepworking(rules, working)) {
        error =
            u"--keep \"%1\" ranks by the date, the name or the folder more than once"_s.arg(value);
        return std::nullopt;
    }
    return rules;
}

// The action and its companions; false with error set on bad usage.
bool actionOptions(const QCommandLineParser& parser, Options& options, const QString& currentFolder,
                   QString& error) {
    int actions = 0;
    if (parser.isSet(u"trash"_s)) {
        options.action = Options::Action::Trash;
        ++actions;
    }
    if (parser.isSet(u"delete"_s)) {
        options.action = Options::Action::Delete;
        ++actions;
    }
    if (parser.isSet(u"move-to"_s)) {
        options.action = Options::Action::Move;
        ++actions;
        const QString folder = parser.value(u"move-to"_s);
        if (folder.isEmpty()) {
            error = u"--move-to needs a folder"_s;
            return false;
        }
        options.moveto = absoluteFolder(folder, currentFolder);
    }
    if (parser.isSet(u"link"_s)) {
        options.action = Options::Action::Link;
        ++actions;
        const QString kind = parser.value(u"link"_s);
        if (kind != u"hard"_s && kind != u"clone"_s) {
            error = u"--link takes hard or clone, not \"%1\""_s.arg(kind);
            return false;
        }
        options.clone = kind == u"clone"_s;
    }
    if (parser.isSet(u"undo-last"_s)) {
        options.action = Options::Action::UndoLast;
        ++actions;
    }
    if (actions > 1) {
        error = u"only one of --trash, --delete, --move-to, --link and --undo-last may be "
                "given"_s;
        return false;
    }
    options.rename = parser.isSet(u"rename"_s);
    options.dryrun = parser.isSet(u"dry-run"_s);
    options.yes = parser.isSet(u"yes"_s);
    if (options.rename && options.action != Options::Action::Move) {
        error = u"--rename needs --move-to"_s;
        return false;
    }
    for (const QString& name : {u"keep"_s, u"dry-run"_s, u"yes"_s}) {
        if (parser.isSet(name) && options.action == Options::Action::None) {
            error = u"--%1 needs an action: --trash, --delete, --move-to or --link"_s.arg(name);
            return false;
        }
    }
    if (options.action == Options::Action::UndoLast && parser.isSet(u"keep"_s)) {
        error = u"--keep does not go with --undo-last"_s;
        return false;
    }
    if (parser.isSet(u"keep"_s)) {
        const auto rules = keepRules(parser.value(u"keep"_s), error);
        if (!rules)
            return false;
        options.keeprules = *rules;
    }
    // Equal sizes or equal samples are no proof that two files are equal.
    if (options.action != Options::Action::None && options.action != Options::Action::UndoLast &&
        !options.compareplan.readsWholeFiles()) {
        error = u"an action needs a comparison that reads the whole files: --compare with crc "
                "or bytewise"_s;
        return false;
    }
    return true;
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
    const QCommandLineOption null(QStringList{u"0"_s, u"null"_s});
    const QCommandLineOption help(QStringList{u"h"_s, u"help"_s});
    const QCommandLineOption trash(u"trash"_s);
    const QCommandLineOption remove(u"delete"_s);
    const QCommandLineOption moveTo(u"move-to"_s, QString(), u"DIR"_s);
    const QCommandLineOption rename(u"rename"_s);
    const QCommandLineOption keep(u"keep"_s, QString(), u"RULES"_s);
    const QCommandLineOption dryRun(u"dry-run"_s);
    const QCommandLineOption yes(u"yes"_s);
    const QCommandLineOption link(u"link"_s, QString(), u"KIND"_s);
    const QCommandLineOption undoLast(u"undo-last"_s);
    const QCommandLineOption noCache(u"no-cache"_s);
    parser.addOptions({pattern,    minKb,   maxKb,    noSubdirs, includeEmpty, attributes,
                       skipFolder, skipExt, compare,  json,      null,         help,
                       trash,      remove,  moveTo,   rename,    keep,         dryRun,
                       yes,        link,    undoLast, noCache});
    if (!parser.parse(QStringList{u"quillfen-cli"_s} + arguments)) {
        error = parser.errorText();
        return std::nullopt;
    }

    Options options;
    options.help = parser.isSet(help);
    if (options.help)
        return options;
    options.json = parser.isSet(json);
    options.null = parser.isSet(null);
    options.nocache = parser.isSet(noCache);
    if (options.json && options.null) {
        error = u"--json and --null cannot be combined"_s;
        return std::nullopt;
    }

    for (const QString& name : {u"pattern"_s, u"min-kb"_s, u"max-kb"_s, u"attributes"_s,
                                u"compare"_s, u"move-to"_s, u"keep"_s, u"link"_s}) {
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
    if (!actionOptions(parser, options, currentFolder, error))
        return std::nullopt;
    const QString patterntext = parser.value(pattern);
    if (patterntext.contains(u'/')) {
        error = u"--pattern cannot contain \"/\""_s;
        return std::nullopt;
    }

    EntryOptions entryoptions;
    entryoptions.minsizeon = parser.isSet(minKb);
    if (entryoptions.minsizeon) {
        const auto limit = sizeLimit(u"min-kb"_s, parser.value(minKb), error);
        if (!limit)
            return std::nullopt;
        entryoptions.minsize = *limit;
    }
    entryoptions.maxsizeon = parser.isSet(maxKb);
    if (entryoptions.maxsizeon) {
        const auto limit = sizeLimit(u"max-kb"_s, parser.value(maxKb), error);
        if (!limit)
            return std::nullopt;
        entryoptions.maxsize = *limit;
    }
    entryoptions.subdirs = !parser.isSet(noSubdirs);
    entryoptions.ignorezero = !parser.isSet(includeEmpty);
    if (!readAttributes(parser.value(attributes), entryoptions, error))
        return std::nullopt;

    const QStringList folders = parser.positionalArguments();
    // Taking back the journal's last operation needs no folder to scan.
    if (options.action == Options::Action::UndoLast) {
        if (!folders.isEmpty()) {
            error = u"--undo-last takes no FOLDER"_s;
            return std::nullopt;
        }
        return options;
    }
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
        entry.options = entryoptions;
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
