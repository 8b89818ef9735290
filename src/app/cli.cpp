// quillfen-cli: the scan without a window.

#include "app/clioptions.h"
#include "app/clioutput.h"
#include "compare/comparecontroller.h"
#include "compare/comparejob.h"
#include "compare/grouping.h"
#include "core/appstate.h"
#include "core/headlessfrontend.h"
#include "platform/filename.h"
#include "platform/limits.h"
#include "platform/platform.h"
#include "scan/scanengine.h"

#include <QCoreApplication>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

using namespace quillfen;
using namespace Qt::StringLiterals;

namespace {

QString currentFolder() {
    std::vector<char> buffer(4096);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE)
            return u"/"_s;
        buffer.resize(buffer.size() * 2);
    }
    return platform::decodeFileName(buffer.data(), qsizetype(std::strlen(buffer.data())));
}

void printError(const QString& message) {
    const QByteArray text = u"quillfen-cli: "_s.toUtf8() + platform::encodeFileName(message) + '\n';
    std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
}

// Compares the scanned list with the planned passes and groups what is left,
// as the window does at the end of a comparison run.
void compareList(AppState& state, const QString& plan) {
    CompareJobInput job;
    job.list = std::move(state.resultlist);
    job.plan = plan;
    job.curstep = 1;
    job.totalsteps = 1 + int(plan.size());
    state.stopflag = false;
    CompareJobResult result = runComparison(std::move(job), state);
    state.stopflag = true;
    state.resultlist = std::move(result.list);
    HeadlessFrontend window;
    coloritems(state, window);
    coloritems(state, window);
    setDuplicateCounters(state, result.plandone, countnamedrows(state.resultlist));
}

bool writeAll(const QByteArray& bytes) {
    return std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) ==
               size_t(bytes.size()) &&
           std::fflush(stdout) == 0;
}

} // namespace

int main(int argc, char** argv) {
    platform::raiseOpenFileLimit(); // long runs are read side by side
    QCoreApplication app(argc, argv);
    platform::cacheLocalTimeZone(); // dates of a long list are cheaper
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << platform::decodeFileName(argv[i], qsizetype(std::strlen(argv[i])));

    QString error;
    const std::optional<cli::Options> options =
        cli::parseArguments(arguments, currentFolder(), error);
    if (!options) {
        printError(error);
        std::fputs("Try 'quillfen-cli --help'.\n", stderr);
        return 2;
    }
    if (options->help) {
        writeAll(cli::usageText().toUtf8());
        return 0;
    }
    for (const PathEntry& entry : options->pathtable) {
        platform::DirectoryListing listing(entry.folder());
        if (!listing.isOpen()) {
            printError(u"cannot open folder %1: %2"_s.arg(
                entry.folder(), QString::fromLocal8Bit(std::strerror(listing.error()))));
            return 2;
        }
    }

    // Kept to the end of the process: freeing every row one by one would only
    // slow the exit down.
    static AppState* const kept = new AppState;
    AppState& state = *kept;
    ScanInput input;
    input.pathtable = options->pathtable;
    input.skipfolders = options->skipfolders;
    input.skipexts = options->skipexts;
    const quint32 start = platform::tickCount();
    state.starttick = start;
    state.stopflag = false;
    ScanResult result = scanfiles(input, state);
    state.stopflag = true;
    state.resultlist = std::move(result.list);
    state.labelposs1 = QString::number(state.resultlist.size());
    if (!options->compareplan.isEmpty() && !state.resultlist.empty())
        compareList(state, options->compareplan);
    const qint64 elapsed = qint64(quint32(platform::tickCount() - start));

    QByteArray out;
    int writeError = 0; // the first failure's errno; later pieces are dropped
    const cli::FlushOutput flush = [&writeError](QByteArray& piece) {
        if (writeError == 0 && !writeAll(piece))
            writeError = errno != 0 ? errno : EIO;
        piece.truncate(0);
    };
    if (options->json)
        cli::writeJson(state.resultlist, state, elapsed, out, flush);
    else
        cli::writeText(state.resultlist, out, flush);
    flush(out);
    if (writeError != 0) {
        printError(u"cannot write the output: %1"_s.arg(
            QString::fromLocal8Bit(std::strerror(writeError))));
        return 1;
    }
    return 0;
}
