#include "report/resultsfile.h"

#include "core/format.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringView>
#include <cstdio>

namespace quillfen {

using namespace Qt::StringLiterals;

namespace {

constexpr int kVersion = 1;
const QString kFormat = u"quillfen-results"_s;

void appendNumber(QByteArray& out, const char* name, qint64 value) {
    out.append('"').append(name).append("\": ").append(QByteArray::number(value));
}

void flushWhenFull(QByteArray& out, const ResultsSink& sink) {
    constexpr qsizetype kPiece = 64 * 1024;
    if (sink && out.size() >= kPiece)
        sink(out);
}

void appendFile(QByteArray& out, const ResultEntry& row) {
    out.append("{\"path\": ");
    appendJsonString(out, row.fullPath());
    out.append(", ");
    appendNumber(out, "mtime", row.mtime);
    out.append(", ");
    appendNumber(out, "mtimensec", row.mtimensec);
    out.append(", ");
    appendNumber(out, "device", qint64(row.id.device));
    out.append(", ");
    appendNumber(out, "inode", qint64(row.id.inode));
    out.append(", ");
    appendNumber(out, "folderdevice", qint64(row.folderid.device));
    out.append(", ");
    appendNumber(out, "folderinode", qint64(row.folderid.inode));
    out.append(row.checked ? ", \"checked\": true}" : ", \"checked\": false}");
}

bool readNumber(const QJsonObject& object, const QString& key, qint64& value) {
    const QJsonValue field = object.value(key);
    if (!field.isDouble())
        return false;
    value = field.toInteger();
    return value >= 0;
}

std::optional<ResultEntry> readFile(const QJsonValue& value, qint64 size, bool definite) {
    const QJsonObject file = value.toObject();
    const QString path = file.value(u"path"_s).toString();
    if (!path.startsWith(u'/') || path.endsWith(u'/') || path.contains(QChar(u'\0')))
        return std::nullopt;
    ResultEntry row;
    row.path = folderOf(path);
    row.filename = nameOf(path);
    row.size = size;
    qint64 nsec = 0;
    qint64 device = 0;
    qint64 inode = 0;
    qint64 folderDevice = 0;
    qint64 folderInode = 0;
    if (!readNumber(file, u"mtime"_s, row.mtime) || !readNumber(file, u"mtimensec"_s, nsec) ||
        nsec > 999999999 || !readNumber(file, u"device"_s, device) ||
        !readNumber(file, u"inode"_s, inode) ||
        !readNumber(file, u"folderdevice"_s, folderDevice) ||
        !readNumber(file, u"folderinode"_s, folderInode) || !file.value(u"checked"_s).isBool())
        return std::nullopt;
    row.mtimensec = quint32(nsec);
    row.id = {quint64(device), quint64(inode)};
    row.folderid = {quint64(folderDevice), quint64(folderInode)};
    row.checked = file.value(u"checked"_s).toBool();
    row.dateform = definite ? DateForm::General : DateForm::Scan;
    return row;
}

bool readStats(const QJsonObject& stats, RunSummary& run) {
    const std::pair<const char16_t*, qint64*> counters[] = {
        {u"filesfound", &run.filesfound},
        {u"filesskipped", &run.filesskipped},
        {u"filesunreadable", &run.filesunreadable},
        {u"kbdone", &run.kbdone},
        {u"filescompared", &run.filescompared},
        {u"possibleduplicates", &run.possibleduplicates},
        {u"definiteduplicates", &run.definiteduplicates},
    };
    for (const auto& [key, value] : counters) {
        if (!readNumber(stats, QString::fromUtf16(key), *value))
            return false;
    }
    run.timespent = stats.value(u"timespent"_s).toString();
    return true;
}

} // namespace

RunSummary runsummary(const AppState& state, const ComparePlan& plandone,
                      const QString& timespent) {
    RunSummary run;
    run.definite = plandone.readsWholeFiles();
    QStringList passes;
    const std::pair<ComparePass, QString> names[] = {{ComparePass::Fuzzy, u"fuzzy"_s},
                                                     {ComparePass::Crc, u"crc"_s},
                                                     {ComparePass::Bytewise, u"bytewise"_s}};
    for (const auto& [pass, name] : names) {
        if (plandone.contains(pass))
            passes << name;
    }
    run.plan = passes.join(u',');
    run.filesfound = state.filesfound.load();
    run.filesskipped = state.filesskipped.load();
    run.filesunreadable = state.filesunreadable.load();
    run.kbdone = qint64(roundHalfEven(state.kbdoneValue()));
    run.filescompared = state.filescompared.load();
    run.possibleduplicates = state.labelposs1.toLongLong();
    run.definiteduplicates = state.labeldef1.toLongLong();
    run.timespent = timespent;
    return run;
}

void appendJsonString(QByteArray& out, const QString& text) {
    out.append('"');
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        switch (c) {
        case u'"':
            out.append("\\\"");
            continue;
        case u'\\':
            out.append("\\\\");
            continue;
        case u'\n':
            out.append("\\n");
            continue;
        case u'\r':
            out.append("\\r");
            continue;
        case u'\t':
            out.append("\\t");
            continue;
        default:
            break;
        }
        char escape[8];
        if (c < 0x20) {
            std::snprintf(escape, sizeof escape, "\\u%04x", unsigned(c));
            out.append(escape);
        } else if (c < 0x80) {
            out.append(char(c));
        } else if (QChar::isHighSurrogate(c) && i + 1 < n && text[i + 1].isLowSurrogate()) {
            out.append(QStringView(text).mid(i, 2).toUtf8());
            ++i;
        } else if (QChar::isSurrogate(c)) {
            // A byte kept from a name that is not UTF-8.
            std::snprintf(escape, sizeof escape, "\\u%04x", unsigned(c));
            out.append(escape);
        } else {
            out.append(QStringView(text).mid(i, 1).toUtf8());
        }
    }
    out.append('"');
}

void writeresults(const ResultList& list, const RunSummary& run, QByteArray& out,
                  const ResultsSink& sink) {
    out.append("{\n  \"format\": ");
    appendJsonString(out, kFormat);
    out.append(",\n  ");
    appendNumber(out, "version", kVersion);
    out.append(run.definite ? ",\n  \"comparison\": \"definite\""
                            : ",\n  \"comparison\": \"possible\"");
    out.append(",\n  \"plan\": ");
    appendJsonString(out, run.plan);
    out.append(",\n  \"groups\": [");
    bool firstGroup = true;
    forEachGroup(list, [&](std::size_t begin, std::size_t end) {
        if (end - begin < 2) // a file that lost its copies is no group
            return;
        out.append(firstGroup ? "\n    {" : ",\n    {");
        firstGroup = false;
        appendNumber(out, "size", list[begin].size);
        out.append(", \"files\": [");
        for (std::size_t k = begin; k < end; ++k) {
            out.append(k == begin ? "\n      " : ",\n      ");
            appendFile(out, list[k]);
            flushWhenFull(out, sink);
        }
        out.append("]}");
    });
    out.append(firstGroup ? "],\n" : "\n  ],\n");
    out.append("  \"stats\": {\n");
    const std::pair<const char*, qint64> counters[] = {
        {"filesfound", run.filesfound},
        {"filesskipped", run.filesskipped},
        {"filesunreadable", run.filesunreadable},
        {"kbdone", run.kbdone},
        {"filescompared", run.filescompared},
        {"possibleduplicates", run.possibleduplicates},
        {"definiteduplicates", run.definiteduplicates},
    };
    for (const auto& [name, value] : counters) {
        out.append("    ");
        appendNumber(out, name, value);
        out.append(",\n");
    }
    out.append("    \"timespent\": ");
    appendJsonString(out, run.timespent);
    out.append("\n  }\n}\n");
    if (sink)
        sink(out);
}

std::optional<OpenedResults> readresults(const QByteArray& document, QString& error) {
    QJsonParseError parse;
    const QJsonDocument json = QJsonDocument::fromJson(document, &parse);
    const QJsonObject root = json.object();
    if (parse.error != QJsonParseError::NoError || !json.isObject() ||
        root.value(u"format"_s).toString() != kFormat) {
        // A file of ours cut short or garbled is damaged, anything else foreign.
        error = document.contains("\"format\": \"quillfen-results\"")
                    ? u"The results file is damaged."_s
                    : u"The file is not a Quillfen results file."_s;
        return std::nullopt;
    }
    const QJsonValue version = root.value(u"version"_s);
    if (!version.isDouble() || version.toInteger() < 1) {
        error = u"The file is not a Quillfen results file."_s;
        return std::nullopt;
    }
    if (version.toInteger() > kVersion) {
        error = u"The results file was written by a newer version of Quillfen."_s;
        return std::nullopt;
    }
    const QString comparison = root.value(u"comparison"_s).toString();
    OpenedResults opened;
    opened.run.definite = comparison == u"definite"_s;
    opened.run.plan = root.value(u"plan"_s).toString();
    const QJsonValue groups = root.value(u"groups"_s);
    if ((!opened.run.definite && comparison != u"possible"_s) || !groups.isArray() ||
        !readStats(root.value(u"stats"_s).toObject(), opened.run)) {
        error = u"The results file is damaged."_s;
        return std::nullopt;
    }
    for (const QJsonValue& value : groups.toArray()) {
        const QJsonObject group = value.toObject();
        qint64 size = 0;
        const QJsonArray files = group.value(u"files"_s).toArray();
        if (!readNumber(group, u"size"_s, size) || files.isEmpty()) {
            error = u"The results file is damaged."_s;
            return std::nullopt;
        }
        if (!opened.list.empty())
            opened.list.push_back(ResultEntry::separator());
        for (const QJsonValue& file : files) {
            std::optional<ResultEntry> row = readFile(file, size, opened.run.definite);
            if (!row) {
                error = u"The results file is damaged."_s;
                return std::nullopt;
            }
            opened.list.push_back(std::move(*row));
        }
    }
    return opened;
}

} // namespace quillfen
