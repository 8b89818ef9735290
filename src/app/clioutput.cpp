#include "app/clioutput.h"

#include "core/format.h"
#include "platform/filename.h"
#include "report/resultsfile.h"

#include <QStringView>
#include <cstdio>

namespace quillfen::cli {

namespace {

// A name as its original bytes; plain ASCII names are copied directly.
void appendFileName(QByteArray& out, const QString& name) {
    const qsizetype n = name.size();
    const QChar* data = name.constData();
    qsizetype ascii = 0;
    while (ascii < n && data[ascii].unicode() < 0x80)
        ++ascii;
    if (ascii < n) {
        out.append(platform::encodeFileName(name));
        return;
    }
    const qsizetype at = out.size();
    out.resize(at + n);
    char* target = out.data() + at;
    for (qsizetype i = 0; i < n; ++i)
        target[i] = char(data[i].unicode());
}

void flushWhenFull(QByteArray& out, const FlushOutput& flush) {
    constexpr qsizetype kPiece = 64 * 1024;
    if (flush && out.size() >= kPiece)
        flush(out);
}

} // namespace

void appendEscaped(QByteArray& out, const QString& text) {
    static const char hex[] = "0123456789abcdef";
    const auto byteEscape = [&out](unsigned byte) {
        const char escape[4] = {'\\', 'x', hex[(byte >> 4) & 0xf], hex[byte & 0xf]};
        out.append(escape, 4);
    };
    const qsizetype n = text.size();
    const QChar* data = text.constData();
    for (qsizetype i = 0; i < n; ++i) {
        // Printable ASCII, the bulk of most names, goes over in one piece.
        qsizetype plain = i;
        while (plain < n && data[plain].unicode() >= 0x20 && data[plain].unicode() < 0x7f &&
               data[plain].unicode() != u'\\')
            ++plain;
        if (plain > i) {
            const qsizetype at = out.size();
            out.resize(at + (plain - i));
            char* target = out.data() + at;
            for (qsizetype k = i; k < plain; ++k)
                *target++ = char(data[k].unicode());
            i = plain;
            if (i == n)
                break;
        }
        const char16_t c = data[i].unicode();
        if (c == u'\\') {
            out.append("\\\\");
        } else if (c == u'\n') {
            out.append("\\n");
        } else if (c == u'\t') {
            out.append("\\t");
        } else if (c < 0x20 || c == 0x7f) {
            byteEscape(c);
        } else if ((c >= 0x80 && c <= 0x9f) || c == 0x2028 || c == 0x2029) {
            // C1 controls (NEL among them) and the Unicode line and paragraph
            // separators: some terminals and line splitters act on them.
            for (const char byte : QStringView(text).mid(i, 1).toUtf8())
                byteEscape(quint8(byte));
        } else if (QChar::isHighSurrogate(c) && i + 1 < n && text[i + 1].isLowSurrogate()) {
            out.append(QStringView(text).mid(i, 2).toUtf8());
            ++i;
        } else if (c >= 0xdc80 && c <= 0xdcff) {
            byteEscape(c & 0xff); // a byte kept from a name that is not UTF-8
        } else if (QChar::isSurrogate(c)) {
            out.append("\xef\xbf\xbd"); // U+FFFD: no file name holds such a unit
        } else {
            out.append(QStringView(text).mid(i, 1).toUtf8());
        }
    }
}

QByteArray escaped(const QString& text) {
    QByteArray out;
    appendEscaped(out, text);
    return out;
}

void writeText(const ResultList& list, QByteArray& out, const FlushOutput& flush) {
    bool first = true;
    forEachGroup(list, [&](std::size_t begin, std::size_t end) {
        if (!first)
            out.append('\n');
        first = false;
        for (std::size_t k = begin; k < end; ++k) {
            appendEscaped(out, list[k].path);
            appendEscaped(out, list[k].filename);
            out.append('\n');
            flushWhenFull(out, flush);
        }
    });
}

void writeNull(const ResultList& list, QByteArray& out, const FlushOutput& flush) {
    bool first = true;
    forEachGroup(list, [&](std::size_t begin, std::size_t end) {
        if (!first)
            out.append('\0');
        first = false;
        for (std::size_t k = begin; k < end; ++k) {
            appendFileName(out, list[k].path);
            appendFileName(out, list[k].filename);
            out.append('\0');
            flushWhenFull(out, flush);
        }
    });
}

void writeJson(const ResultList& list, const AppState& state, const ComparePlan& plandone,
               qint64 elapsedMs, QByteArray& out, const FlushOutput& flush) {
    const QString timespent = secondstoclock(qint64(roundHalfEven(double(elapsedMs) / 1000.0)));
    writeresults(list, runsummary(state, plandone, timespent), out, flush);
}

} // namespace quillfen::cli
