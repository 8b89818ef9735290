#pragma once

// The text and HTML report of the result list. The "Export Report" dialog
// edits AppState::exportsettings and calls exportreport on "&Export".

#include "core/appstate.h"
#include "core/frontend.h"
#include "core/jobrunner.h"
#include "platform/fileops.h"

#include <QByteArray>
#include <QString>
#include <atomic>
#include <functional>

namespace quillfen {

// The program's web address for the HTML footer. It has none yet: the text
// is empty, and the footer names the program without a link.
QString reportwebaddress();

// The fixed HTML blocks, every line ending in CR LF: the header of the
// five-column table (20 lines), of the one-column table (12 lines), and the
// footer (7 lines) with its link to linkurl (no link when it is empty).
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
// The same bytes handed to sink in pieces of about a megabyte, so that a
// report of a million rows never sits in memory as a whole. Returns the
// count, or -1 when stop was set (checked every thousand rows).
qint64 writereport(const ResultList& list, const ExportSettings& settings, const QString& linkurl,
                   const std::function<void(const QByteArray&)>& sink,
                   const std::atomic<bool>* stop = nullptr);

// The save dialog's filter for the chosen format, in QFileDialog's form.
QString reportfilter(bool html);
// A file name chosen in the save dialog, given ".html" or ".txt" when its
// last part has no extension of its own (a leading dot does not count).
QString withreportextension(const QString& chosen, bool html);

enum class ExportOutcome {
    Exported,       // written; the dialog was closed and the count shown
    NoPath,         // "You must select a file to export to!"
    NotOverwritten, // the user kept the existing file
    Failed,         // the file could not be written; the message names it and why
    Stopped,        // Stop was pressed; any old file stays as it was
    Started,        // startexportreport: the job runs, the end comes later
};

// What the writing job hands back.
struct ReportJobResult {
    qint64 count = 0;
    bool stopped = false;
    platform::FileOpResult saved;
};

// Writes the report file: on any thread, touching no program state. An
// existing file stays as it was unless the new one was written completely.
ReportJobResult writereportfile(const QString& path, const ResultList& list,
                                const ExportSettings& settings, const QString& linkurl,
                                const std::atomic<bool>* stop = nullptr);

// "&Export" on the window thread: the empty-path message and the overwrite
// question (No is the default); then the report is written; then the end:
// a failure is shown with the file and the reason and the dialog stays
// open, a success closes the dialog and shows the count.
ExportOutcome exportreport(AppState& state, Frontend& frontend,
                           const QString& linkurl = reportwebaddress());
// The same with the writing on the runner's worker thread (the program is
// busy meanwhile; Stop abandons the report). Returns Started, or the outcome
// of a check that ended it at once.
ExportOutcome startexportreport(AppState& state, Frontend& frontend, JobRunner& runner,
                                const QString& linkurl = reportwebaddress());

} // namespace quillfen
