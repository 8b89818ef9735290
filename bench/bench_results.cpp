// Times the list-wide commands of the result list on a big list: the
// selection commands with their recount, the selection assistant, the
// preview rebuild, the group tidy-up (with the grouping step) and the report.
//
//   build/bench/bench_results [rows]     (default 1,000,000)

#include "biglist.h"
#include "core/appstate.h"
#include "core/headlessfrontend.h"
#include "fileops/operations.h"
#include "fileops/preview.h"
#include "platform/platform.h"
#include "report/report.h"
#include "results/assistant.h"
#include "results/selection.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <cstdlib>

using namespace quillfen;
using namespace Qt::StringLiterals;

namespace {

template <typename Step> void timed(const char* what, Step step) {
    QElapsedTimer timer;
    timer.start();
    step();
    std::printf("%-44s %8lld ms\n", what, static_cast<long long>(timer.elapsed()));
}

} // namespace

int main(int argc, char** argv) {
    const qint64 rows = argc > 1 ? std::atoll(argv[1]) : 1000000;
    platform::cacheLocalTimeZone(); // as the program does at start-up
    HeadlessFrontend frontend(MessageAnswer::Ok);
    AppState state;
    timed("build the list", [&] { state.resultlist = bench::bigResultList(rows); });
    std::printf("rows: %zu (files: %lld)\n", state.resultlist.size(), static_cast<long long>(rows));

    timed("Select all (with recount)", [&] { selall(state, frontend); });
    timed("Select inverse (with recount)", [&] { selinv(state, frontend); });
    timed("Select all files in this directory", [&] { selalldir(state, frontend, 0); });
    timed("selection assistant, default settings", [&] { runassistant(state, frontend); });
    state.assistant.wordson = true;
    state.assistant.wordstext = u"-1/-3"_s;
    addassistantfolder(state.assistant, u"/data/folder1/"_s);
    state.assistant.includesubdirs = true;
    state.assistant.pathmustmatch = false;
    timed("selection assistant, words and folder rules", [&] { runassistant(state, frontend); });
    DiscardPreview preview;
    timed("preview rebuild", [&] { preview = rebuildpreview(state, frontend); });
    std::vector<qsizetype> all(preview.savedmap.size());
    for (size_t k = 0; k < all.size(); ++k)
        all[k] = qsizetype(k);
    timed("preview: every saved file to discarded",
          [&] { preview = movetodiscarded(state, frontend, preview, all); });
    // The report goes to memory-backed /dev/shm where there is one, so the
    // figure is the writer's, not the disk's.
    const QString folder = QFileInfo(u"/dev/shm"_s).isWritable() ? u"/dev/shm"_s : QDir::tempPath();
    const QString report = folder + u"/quillfen-bench-report.html"_s;
    state.exportsettings.allentries = true;
    ReportJobResult written;
    timed("HTML report of every entry, written", [&] {
        written =
            writereportfile(report, state.resultlist, state.exportsettings, reportwebaddress());
    });
    std::printf("report: %lld entries, %lld bytes, %s\n", static_cast<long long>(written.count),
                static_cast<long long>(QFileInfo(report).size()),
                written.saved.ok() ? "saved" : qPrintable(written.saved.description));
    QFile::remove(report);
    runassistant(state, frontend);
    timed("group tidy-up after the assistant's checks", [&] { tidygroups(state, frontend); });
    std::printf("rows left: %zu\n", state.resultlist.size());
    return 0;
}
