#include "core/settingsfile.h"

#include "core/format.h"
#include "platform/filename.h"
#include "platform/fileops.h"
#include "platform/folders.h"

#include <QLocale>
#include <climits>
#include <cmath>

namespace quillfen {

using namespace Qt::StringLiterals;

namespace {

const QString skipFoldersOpen = u"<skipfolders>"_s;
const QString skipFoldersClose = u"</skipfolders>"_s;
const QString skipExtensionsOpen = u"<skipextensions>"_s;
const QString skipExtensionsClose = u"</skipextensions>"_s;
const QString patternsOpen = u"<prepat>"_s;
const QString patternsClose = u"</prepat>"_s;
// After the lists, and only when the checksum cache is off: files of
// earlier versions end with the lists and keep the cache on.
const QString noChecksumCache = u"<nochecksumcache>"_s;

// The file's lines, each decoded so that file-name bytes survive. Lines end
// in CR LF; a bare LF is taken as well, so a file edited elsewhere still reads.
class LineReader {
public:
    explicit LineReader(QByteArray bytes) : m_bytes(std::move(bytes)) {
        if (m_bytes.startsWith("\xEF\xBB\xBF"))
            m_pos = 3;
    }

    bool next(QString& line) {
        if (m_pos >= m_bytes.size())
            return false;
        qsizetype end = m_bytes.indexOf('\n', m_pos);
        const qsizetype following = end < 0 ? m_bytes.size() : end + 1;
        if (end < 0)
            end = m_bytes.size();
        if (end > m_pos && m_bytes[end - 1] == '\r')
            --end;
        line = platform::decodeFileName(m_bytes.constData() + m_pos, end - m_pos);
        m_pos = following;
        return true;
    }

private:
    QByteArray m_bytes;
    qsizetype m_pos = 0;
};

// A number line as a text box reads it: blanks ignored, no number reads as 0.
double numberValue(const QString& line) {
    QString text = line;
    const QString point = QLocale().decimalPoint();
    if (point != u"."_s)
        text.replace(point, u"."_s);
    return leadingNumber(text);
}

// Sizes and positions a window can take.
bool isPosition(double value) {
    return std::isfinite(value) && std::fabs(value) <= double(INT_MAX);
}
bool isSize(double value) {
    return isPosition(value) && value >= 0;
}

bool readBoolean(const QString& line, bool& value) {
    const QString text = line.trimmed();
    if (text.compare(u"True"_s, Qt::CaseInsensitive) == 0)
        value = true;
    else if (text.compare(u"False"_s, Qt::CaseInsensitive) == 0)
        value = false;
    else
        return false;
    return true;
}

bool readCheckBox(const QString& line, int& value) {
    const double number = roundHalfEven(numberValue(line));
    if (!(number >= 0 && number <= 2))
        return false;
    value = int(number);
    return true;
}

// One block of check-box rows. The list is emptied once the opening tag and
// the first row are read; a missing closing tag keeps the rows read so far.
bool readCheckedBlock(LineReader& reader, const QString& closing, std::vector<CheckedEntry>& list) {
    QString line;
    if (!reader.next(line) || !reader.next(line))
        return false;
    list.clear();
    while (line != closing) {
        const qsizetype comma = line.indexOf(u',');
        // Rows loaded from the file carry no key: equal texts may stand twice.
        list.push_back(CheckedEntry{comma < 0 ? line : line.mid(comma + 1),
                                    line.startsWith(u"True"_s), false});
        if (!reader.next(line))
            return false;
    }
    return true;
}

bool readPatternBlock(LineReader& reader, std::vector<PatternListEntry>& list) {
    QString line;
    if (!reader.next(line) || !reader.next(line))
        return false;
    list.clear();
    while (line != patternsClose) {
        const qsizetype bar = line.indexOf(u'|');
        if (bar < 0)
            return false;
        list.push_back(PatternListEntry{line.left(bar), line.mid(bar + 1)});
        if (!reader.next(line))
            return false;
    }
    return true;
}

bool applySettings(AppState& state, LineReader& reader) {
    QString line;
    WindowGeometry& window = state.window;

    if (!reader.next(line) || !isSize(numberValue(line)))
        return false;
    window.width = numberValue(line);
    if (!reader.next(line) || !isSize(numberValue(line)))
        return false;
    window.height = numberValue(line);
    if (!reader.next(line))
        return false;
    const double shown = roundHalfEven(numberValue(line));
    if (!(shown >= 0 && shown <= 2))
        return false;
    // Only recorded here; the window applies the position to its normal
    // geometry, so a minimised or maximised state never stops the reading.
    window.state = WindowShowState(int(shown));
    if (!reader.next(line) || !isPosition(numberValue(line)))
        return false;
    window.top = numberValue(line);
    if (!reader.next(line) || !isPosition(numberValue(line)))
        return false;
    window.left = numberValue(line);

    if (!reader.next(line) || !readBoolean(line, state.nowizard))
        return false;

    SettingsDialogState& settings = state.settings;
    for (int* box : {&settings.autoselectbox, &settings.gentle, &settings.donothing,
                     &settings.fuzzy, &settings.crc, &settings.bytewise}) {
        if (!reader.next(line) || !readCheckBox(line, *box))
            return false;
    }
    if (!reader.next(line))
        return false;
    settings.editorprogram = line;

    if (!readCheckedBlock(reader, skipFoldersClose, settings.skipfolderlist) ||
        !readCheckedBlock(reader, skipExtensionsClose, settings.skipextlist) ||
        !readPatternBlock(reader, settings.patternlists))
        return false;
    settings.checksumcache = !(reader.next(line) && line == noChecksumCache);
    return true;
}

// The print rule for numbers: a blank or "-", the shortest decimal form with
// the user's decimal separator, a blank.
QString numberLine(double value) {
    QString text = generalNumberText(std::fabs(value));
    const QString point = QLocale().decimalPoint();
    if (point != u"."_s)
        text.replace(u'.', point);
    return (value < 0 && text != u"0"_s ? u"-"_s : u" "_s) + text + u' ';
}

bool holdsLineBreak(const QString& text) {
    return text.contains(u'\n') || text.contains(u'\r');
}

QByteArray settingsBytes(const AppState& state) {
    QByteArray bytes;
    const auto line = [&bytes](const QString& text) {
        bytes += platform::encodeFileName(text);
        bytes += "\r\n";
    };
    const WindowGeometry& window = state.window;
    line(numberLine(window.width));
    line(numberLine(window.height));
    line(numberLine(int(window.state)));
    line(numberLine(roundHalfEven(window.top.value_or(0))));
    line(numberLine(roundHalfEven(window.left.value_or(0))));
    line(boolText(state.nowizard));

    const SettingsDialogState& settings = state.settings;
    for (int box : {settings.autoselectbox, settings.gentle, settings.donothing, settings.fuzzy,
                    settings.crc, settings.bytewise})
        line(QString::number(box));
    // A path broken over two lines would shift every line after it.
    line(holdsLineBreak(settings.editorprogram) ? QString() : settings.editorprogram);

    const auto checkedBlock = [&](const QString& opening, const std::vector<CheckedEntry>& list,
                                  const QString& closing) {
        line(opening);
        for (const CheckedEntry& entry : list) {
            if (!holdsLineBreak(entry.text))
                line(boolText(entry.checked) + u',' + entry.text);
        }
        line(closing);
    };
    checkedBlock(skipFoldersOpen, settings.skipfolderlist, skipFoldersClose);
    checkedBlock(skipExtensionsOpen, settings.skipextlist, skipExtensionsClose);
    line(patternsOpen);
    for (const PatternListEntry& entry : settings.patternlists) {
        if (!holdsLineBreak(entry.name) && !holdsLineBreak(entry.patterns))
            line(entry.name + u'|' + entry.patterns);
    }
    line(patternsClose);
    if (!settings.checksumcache)
        line(noChecksumCache);
    return bytes;
}

} // namespace

QString settingsFolder(const SystemFacts& system) {
    if (!system.programFolder.isEmpty() && platform::isWritableFolder(system.programFolder))
        return system.programFolder;
    QString config = system.folderVariable(u"XDG_CONFIG_HOME"_s);
    if (config.isEmpty() && !system.home().isEmpty())
        config = system.home() + u".config/"_s;
    if (config.isEmpty())
        return system.programFolder;
    return config + u"quillfen/"_s;
}

QString settingsFilePath(const SystemFacts& system) {
    return settingsFolder(system) + u"settings.dat"_s;
}

bool loadsettings(AppState& state, const QString& path) {
    // A settings file that is a FIFO or a device must not hang the start-up.
    platform::InputFile file;
    if (!file.open(path))
        return false;
    QByteArray bytes;
    if (!file.readAll(bytes))
        return false;
    file.close();
    LineReader reader(std::move(bytes));
    return applySettings(state, reader);
}

bool savesettings(const AppState& state, const QString& path, QString* failure) {
    const QByteArray bytes = settingsBytes(state);
    const qsizetype slash = path.lastIndexOf(u'/');
    platform::FileOpResult result;
    if (slash > 0)
        result = platform::makeFolders(path.left(slash));
    // Written beside the old file and renamed over it only when complete.
    if (result.ok())
        result = platform::saveFile(path, bytes);
    if (!result.ok() && failure)
        *failure = result.description;
    return result.ok();
}

} // namespace quillfen
