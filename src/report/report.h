#pragma once

// The text and HTML report of the result list. The "Export Report" dialog
// edits AppState::exportsettings and calls exportreport on "&Export".

#include "core/appstate.h"
#include "core/frontend.h"

#include <QByteArray>
#include <QString>

namespace quillfen {

// The program's help page, installed with it; the HTML footer links to it.
QString helppageurl();

// The fixed HTML blocks, every line ending in CR LF: the header of the
// five-column table (20 lines), of the one-column table (12 lines), and the
// footer (7 lines) with its link to linkurl.
QString reportheader(bool onlypath);
QString reportfooter(const QString& linkurl);

// &, <, >, " as HTML character references.
QString htmlescaped(const QString& value);

// The report file's bytes. Text reports keep the exact bytes of every file
// name; HTML reports are UTF-8 and start with a byte order mark so that
// browsers read them as such without a line added to the header. count is
// the number of entries written (separator rows are not counted).
QByteArray reportcontent(const ResultList& list, const ExportSettings& settings,
                         const QString& linkurl, qint64* count = nullptr);

// The save dialog's filter for the chosen format, in QFileDialog's form.
QString reportfilter(bool html);

enum class ExportOutcome {
    Exported,       // written; the dialog was closed and the count shown
    NoPath,         // "You must select a file to export to!"
    NotOverwritten, // the user kept the existing file
    Failed,         // the file could not be written; the message names it and why
};

// "&Export": the checks and questions, the report written as a whole (an
// existing file stays as it was unless the new one was written completely),
// the closing of the dialog and the count message.
ExportOutcome exportreport(AppState& state, Frontend& frontend,
                           const QString& linkurl = helppageurl());

} // namespace quillfen
