#include "report/report.h"

#include "platform/filename.h"
#include "platform/fileops.h"
#include "platform/platform.h"

#include <QUrl>

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

QString cell(int width, const QString& value) {
    return u"<td width=\""_s + QString::number(width) +
           u"\" bgcolor=\"#FFFFFF\"><font face=\"Tahoma\" style=\"font-size: 8pt\">"_s + value +
           u"</font></td>"_s;
}

// A value for the HTML page: escaped, and the bytes of a name that are not
// UTF-8 shown as the replacement character.
QString htmlValue(const QString& value) {
    QString text = htmlescaped(value);
    for (QChar& c : text) {
        if (c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF)
            c = QChar(0xFFFD);
    }
    return text;
}

} // namespace

QString helppageurl() {
    return QUrl::fromLocalFile(QStringLiteral(QUILLFEN_HELP_PAGE)).toString(QUrl::FullyEncoded);
}

QString htmlescaped(const QString& value) {
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
    return lines({u"</table>"_s, u"<p><br>"_s, u"<font face=\"Tahoma\" size=\"2\">"_s,
                  u"<a href=\""_s + url + u"\">Quillfen</a></font><br>"_s,
                  u"<font face=\"Tahoma\" size=\"2\">"_s + url + u"</font></p>"_s, u"</body>"_s,
                  u"</html>"_s});
}

QByteArray reportcontent(const ResultList& list, const ExportSettings& settings,
                         const QString& linkurl, qint64* count) {
    QByteArray out;
    qint64 written = 0;
    const QByteArray crlf = "\r\n";
    if (settings.html)
        out += "\xEF\xBB\xBF" + (reportheader(settings.onlypath) + kCrLf).toUtf8();
    const QByteArray separator = settings.separator.toUtf8();
    for (const ResultEntry& entry : list) {
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
        if (!settings.html) {
            // The names' own bytes, so that a path from the report finds the file.
            if (settings.onlypath) {
                out += platform::encodeFileName(entry.fullPath());
            } else {
                out += platform::encodeFileName(entry.filename) + separator +
                       entry.sizembText().toUtf8() + separator + entry.sizebyteText().toUtf8() +
                       separator + entry.filedateText().toUtf8() + separator +
                       platform::encodeFileName(entry.path);
            }
        } else if (settings.onlypath) {
            out +=
                (u"<tr><td bgcolor=\"#FFFFFF\"><font face=\"Tahoma\" style=\"font-size: 8pt\">"_s +
                 htmlValue(entry.fullPath()) + u"</font></td></tr>"_s)
                    .toUtf8();
        } else {
            out += (u"<tr>"_s + cell(200, htmlValue(entry.filename)) +
                    cell(150, htmlValue(entry.sizembText())) +
                    cell(150, htmlValue(entry.sizebyteText())) +
                    cell(200, htmlValue(entry.filedateText())) + cell(400, htmlValue(entry.path)) +
                    u"   </tr>"_s)
                       .toUtf8();
        }
        out += crlf;
    }
    if (settings.html)
        out += (reportfooter(linkurl) + kCrLf).toUtf8();
    if (count)
        *count = written;
    return out;
}

QString reportfilter(bool html) {
    return html ? u"HTML Files (*.html);;All files (*)"_s : u"Text Files (*.txt);;All files (*)"_s;
}

ExportOutcome exportreport(AppState& state, Frontend& frontend, const QString& linkurl) {
    MessageBoxes& boxes = frontend.messages();
    const ExportSettings& settings = state.exportsettings;
    if (settings.path.isEmpty()) {
        boxes.inform(u"You must select a file to export to!"_s, MessageIcon::Exclamation);
        return ExportOutcome::NoPath;
    }
    if (platform::fileInfo(settings.path).exists() &&
        !boxes.askYesNo(u"This file allready exists, would you like to overwrite it?"_s,
                        MessageIcon::Information, MessageAnswer::No))
        return ExportOutcome::NotOverwritten;

    qint64 count = 0;
    const QByteArray content = reportcontent(state.resultlist, settings, linkurl, &count);
    const platform::FileOpResult saved = platform::saveFile(settings.path, content);
    if (!saved.ok()) {
        boxes.inform(crlfJoin({u"The report could not be written to the file:"_s, settings.path,
                               QString(), saved.description}),
                     MessageIcon::Critical);
        return ExportOutcome::Failed;
    }
    frontend.closeDialog(Dialog::ExportReport);
    boxes.inform(QString::number(count) + u" entries have been successfully exported."_s,
                 MessageIcon::Information);
    return ExportOutcome::Exported;
}

} // namespace quillfen
