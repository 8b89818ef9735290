#include "report/report.h"

#include "core/busy.h"
#include "core/format.h"
#include "platform/filename.h"
#include "platform/fileops.h"
#include "platform/platform.h"

#include <algorithm>
#include <memory>

namespace quillfen {

using namespace Qt::StringLiterals;

namespace {

const QString kCrLf = u"\r\n"_s;

QString lines(std::initializer_list<QString> list) {
    QString text;
    for (const QString& line : list)
        text += line + kCrLf;
    return text;
}

QString headerStart() {
    return lines({u"<html>"_s, u"<head>"_s, u"<title>Quillfen - Report</title>"_s, u"</head>"_s,
                  u"<body topmargin=\"100\" leftmargin=\"100\">"_s, QString(),
                  u"<h3><font face=\"Tahoma\">Quillfen - Report</font></h3>"_s});
}

QString headCell(const QString& td, const QString& caption) {
    return lines({u"    "_s + td, u"    <font face=\"Tahoma\" style=\"font-size: 8pt\" "
                                  u"color=\"#FFFFFF\">"_s +
                                      caption + u"</font></td>"_s});
}

// Appends a value for the HTML page: escaped, UTF-8, and the bytes of a name
// that are not UTF-8 shown as the replacement character.
void appendHtml(QByteArray& out, const QString& value) {
    QString text = htmlescaped(value);
    const auto escapedByte = [](QChar c) { return c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF; };
    if (std::any_of(text.cbegin(), text.cend(), escapedByte))
        std::replace_if(text.begin(), text.end(), escapedByte, QChar(0xFFFD));
    out += text.toUtf8();
}

void appendCell(QByteArray& out, const char* width, const QString& value) {
    out += "<td width=\"";
    out += width;
    out += "\" bgcolor=\"#FFFFFF\"><font face=\"Tahoma\" style=\"font-size: 8pt\">";
    appendHtml(out, value);
    out += "</font></td>";
}

} // namespace

QString reportwebaddress() {
    return {};
}

QString htmlescaped(const QString& value) {
    const auto special = [](QChar c) { return c == u'&' || c == u'<' || c == u'>' || c == u'"'; };
    if (std::none_of(value.begin(), value.end(), special))
        return value;
    QString text;
    text.reserve(value.size());
    for (const QChar c : value) {
        switch (c.unicode()) {
        case u'&':
            text += u"&amp;"_s;
            break;
        case u'<':
            text += u"&lt;"_s;
            break;
        case u'>':
            text += u"&gt;"_s;
            break;
        case u'"':
            text += u"&quot;"_s;
            break;
        default:
            text += c;
        }
    }
    return text;
}

QString reportheader(bool onlypath) {
    if (onlypath) {
        return headerStart() +
               lines({u"<table border=\"0\" cellpadding=\"5\" cellspacing=\"1\" "
                      u"style=\"border-collapse: "
                      u"collapse\" bordercolor=\"#111111\" id=\"AutoNumber1\" bgcolor=\"#D0D7E1\" "
                      u"width=\"100%\">"_s,
                      u"  <tr>"_s}) +
               headCell(u"<td bgcolor=\"#5571A4\">"_s, u"File"_s) + lines({u"  </tr>"_s});
    }
    const auto td = [](int width) {
        return u"<td width=\""_s + QString::number(width) + u"\" bgcolor=\"#5571A4\">"_s;
    };
    return headerStart() +
           lines(
               {u"<table border=\"0\" cellpadding=\"5\" cellspacing=\"1\" style=\"border-collapse: "
                u"collapse\" bordercolor=\"#111111\" id=\"AutoNumber1\" bgcolor=\"#D0D7E1\">"_s,
                u"  <tr>"_s}) +
           headCell(td(200), u"Filename"_s) + headCell(td(150), u"Size (MBytes)"_s) +
           headCell(td(150), u"Size (Byte)"_s) + headCell(td(200), u"File Date"_s) +
           headCell(td(400), u"Path"_s) + lines({u"  </tr>"_s});
}

QString reportfooter(const QString& linkurl) {
    const QString url = htmlescaped(linkurl);
    const QString name =
        url.isEmpty() ? u"Quillfen"_s : u"<a href=\""_s + url + u"\">Quillfen</a>"_s;
    return lines({u"</table>"_s, u"<p><br>"_s, u"<font face=\"Tahoma\" size=\"2\">"_s,
                  name + u"</font><br>"_s,
                  u"<font face=\"Tahoma\" size=\"2\">"_s + url + u"</font></p>"_s, u"</body>"_s,
                  u"</html>"_s});
}

qint64 writereport(const ResultList& list, const ExportSettings& settings, const QString& linkurl,
                   const std::function<void(const QByteArray&)>& sink,
                   const std::atomic<bool>* stop) {
    constexpr qsizetype kPiece = 1 << 20;
    QByteArray out;
    out.reserve(kPiece + 4096);
    const auto flush = [&] {
        sink(out);
        out.clear();
    };
    qint64 written = 0;
    const QByteArray crlf = "\r\n";
    if (settings.html)
        out += "\xEF\xBB\xBF" + (reportheader(settings.onlypath) + kCrLf).toUtf8();
    const QByteArray separator = settings.separator.toUtf8();
    qint64 rows = 0;
    // The files of a group share their size: its texts are made once.
    qint64 lastSize = -2;
    QString mbText;
    QString byteText;
    for (const ResultEntry& entry : list) {
        if (stop && ++rows % 1000 == 0 && stop->load(std::memory_order_relaxed))
            return -1;
        if (!entry.checked && !settings.allentries)
            continue;
        if (entry.isSeparator()) {
            if (settings.html)
                out += "<tr><td height=5 bgcolor=\"#D9E0F2\"><font face=\"Tahoma\" "
                       "style=\"font-size: 8pt\"> </font></td></tr>" +
                       crlf;
            continue;
        }
        ++written;
        if (entry.size != lastSize) {
            lastSize = entry.size;
            mbText = entry.sizembText();
            byteText = entry.sizebyteText();
        }
        if (!settings.html) {
            // The names' own bytes, so that a path from the report finds the file.
            if (settings.onlypath) {
                out += platform::encodeFileName(entry.fullPath());
            } else {
                out += platform::encodeFileName(entry.filename) + separator + mbText.toUtf8() +
                       separator + byteText.toUtf8() + separator + entry.filedateText().toUtf8() +
                       separator + platform::encodeFileName(entry.path);
            }
        } else if (settings.onlypath) {
            out += "<tr><td bgcolor=\"#FFFFFF\"><font face=\"Tahoma\" style=\"font-size: 8pt\">";
            appendHtml(out, entry.fullPath());
            out += "</font></td></tr>";
        } else {
            out += "<tr>";
            appendCell(out, "200", entry.filename);
            appendCell(out, "150", mbText);
            appendCell(out, "150", byteText);
            appendCell(out, "200", entry.filedateText());
            appendCell(out, "400", entry.path);
            out += "   </tr>";
        }
        out += crlf;
        if (out.size() >= kPiece)
            flush();
    }
    if (settings.html)
        out += (reportfooter(linkurl) + kCrLf).toUtf8();
    flush();
    return written;
}

QByteArray reportcontent(const ResultList& list, const ExportSettings& settings,
                         const QString& linkurl, qint64* count) {
    QByteArray content;
    const qint64 written =
        writereport(list, settings, linkurl, [&](const QByteArray& piece) { content += piece; });
    if (count)
        *count = written;
    return content;
}

ReportJobResult writereportfile(const QString& path, const ResultList& list,
                                const ExportSettings& settings, const QString& linkurl,
                                const std::atomic<bool>* stop) {
    ReportJobResult result;
    platform::SaveFile file(path);
    if (!file.status().ok()) {
        result.saved = file.status();
        return result;
    }
    result.count = writereport(
        list, settings, linkurl, [&](const QByteArray& piece) { file.write(piece); }, stop);
    if (result.count < 0) {
        result.stopped = true; // the file goes with the SaveFile
        result.count = 0;
        return result;
    }
    result.saved = file.commit();
    return result;
}

QString withreportextension(const QString& chosen, bool html) {
    if (chosen.isEmpty())
        return chosen;
    const qsizetype name = chosen.lastIndexOf(u'/') + 1;
    if (chosen.indexOf(u'.', name + 1) > name)
        return chosen;
    return chosen + (html ? u".html"_s : u".txt"_s);
}

QString reportfilter(bool html) {
    return html ? u"HTML Files (*.html);;All files (*)"_s : u"Text Files (*.txt);;All files (*)"_s;
}

namespace {

// Steps 1 and 2 of "&Export"; false ends it with outcome set.
bool exportChecks(const AppState& state, Frontend& frontend, ExportOutcome& outcome) {
    MessageBoxes& boxes = frontend.messages();
    const QString& path = state.exportsettings.path;
    if (path.isEmpty()) {
        boxes.inform(u"You must select a file to export to!"_s, MessageIcon::Exclamation);
        outcome = ExportOutcome::NoPath;
        return false;
    }
    if (canreadfile(path) &&
        !boxes.askYesNo(u"This file allready exists, would you like to overwrite it?"_s,
                        MessageIcon::Information, MessageAnswer::No)) {
        outcome = ExportOutcome::NotOverwritten;
        return false;
    }
    return true;
}

ExportOutcome finishExport(const QString& path, Frontend& frontend, const ReportJobResult& result) {
    MessageBoxes& boxes = frontend.messages();
    if (result.stopped)
        return ExportOutcome::Stopped;
    if (!result.saved.ok()) {
        boxes.inform(crlfJoin({u"The report could not be written to the file:"_s, path, QString(),
                               result.saved.description}),
                     MessageIcon::Critical);
        return ExportOutcome::Failed;
    }
    frontend.closeDialog(Dialog::ExportReport);
    boxes.inform(QString::number(result.count) + u" entries have been successfully exported."_s,
                 MessageIcon::Information);
    return ExportOutcome::Exported;
}

} // namespace

ExportOutcome exportreport(AppState& state, Frontend& frontend, const QString& linkurl) {
    ExportOutcome outcome{};
    if (!exportChecks(state, frontend, outcome))
        return outcome;
    const QString path = state.exportsettings.path;
    return finishExport(path, frontend,
                        writereportfile(path, state.resultlist, state.exportsettings, linkurl));
}

ExportOutcome startexportreport(AppState& state, Frontend& frontend, JobRunner& runner,
                                const QString& linkurl) {
    ExportOutcome outcome{};
    if (runner.isRunning())
        return ExportOutcome::Failed;
    if (!exportChecks(state, frontend, outcome))
        return outcome;
    // The job works on its own copy; the rows' texts are shared, not copied.
    auto list = std::make_shared<const ResultList>(state.resultlist);
    auto result = std::make_shared<ReportJobResult>();
    const QString path = state.exportsettings.path;
    const ExportSettings settings = state.exportsettings;
    const std::atomic<bool>* stop = &state.stopflag;
    beginbusy(state, frontend);
    runner.start([=] { *result = writereportfile(path, *list, settings, linkurl, stop); },
                 [&state, &frontend, path, result] {
                     endbusy(state, frontend);
                     finishExport(path, frontend, *result);
                 });
    return ExportOutcome::Started;
}

} // namespace quillfen
