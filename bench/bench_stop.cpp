// How long the user waits after Stop: the time from setting stopflag to the
// end of a long walk (scanfiles over many entries of one folder) and of a
// long read (the bytewise pass over two 40 GiB sparse files, at full speed
// and gently). Prints the median and the worst of the rounds in milliseconds.
//
//   bench_stop [ROUNDS]    (default 9; needs room for sparse files in /tmp)

#include "compare/passes.h"
#include "core/appstate.h"
#include "platform/platform.h"
#include "scan/scanengine.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

using namespace quillfen;
using namespace Qt::StringLiterals;

namespace {

using Clock = std::chrono::steady_clock;

PathEntry folderEntry(const QString& folder) {
    PathEntry entry;
    entry.text = folder + u"*.*"_s;
    entry.options.readonly = entry.options.hidden = entry.options.system = entry.options.archive =
        true;
    return entry;
}

// Starts work on a thread, sets the flag once started() holds, and returns
// the milliseconds until the work returned.
template <typename Work, typename Started>
double stopLatency(std::atomic<bool>& stopflag, Work work, Started started) {
    stopflag = false;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        work();
        done = true;
    });
    while (!started())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const auto stop = Clock::now();
    stopflag = true;
    worker.join();
    return std::chrono::duration<double, std::milli>(Clock::now() - stop).count();
}

void report(const char* what, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    std::printf("%-34s median %7.2f ms   worst %7.2f ms   (%zu rounds)\n", what,
                times[times.size() / 2], times.back(), times.size());
}

// The two files of one size run.
class PairSource : public PassSource {
public:
    PairSource(QString a, QString b, qint64 size)
        : m_paths{std::move(a), std::move(b)}, m_size(size) {}
    qint64 count() const override { return 2; }
    qint64 size(qint64) const override { return m_size; }
    QString path(qint64 k) const override { return m_paths[std::size_t(k)]; }

private:
    QString m_paths[2];
    qint64 m_size;
};

bool writeSparse(const QString& path, qint64 size) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !file.resize(size))
        return false;
    return file.seek(size - 1) && file.write("a", 1) == 1;
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    QTemporaryDir dir;
    const QString root = dir.path() + u'/';

    // The walk: 200 files in 10 folders, listed 20000 times.
    for (int i = 0; i < 200; ++i) {
        QDir().mkpath(root + u"tree/d%1"_s.arg(i % 10));
        QFile file(root + u"tree/d%1/f%2"_s.arg(i % 10).arg(i));
        if (!file.open(QIODevice::WriteOnly) || file.write(QByteArray(i % 7, 'x')) != i % 7)
            return 1;
    }
    ScanInput input;
    input.pathtable.assign(20000, folderEntry(root + u"tree/"_s));
    std::vector<double> walk;
    for (int round = 0; round < rounds; ++round) {
        AppState state;
        walk.push_back(stopLatency(
            state.stopflag, [&] { scanfiles(input, state); },
            [&] { return state.filesskipped.load() > 1000; }));
    }
    report("walk (scanfiles)", walk);

    const qint64 size = 40LL * 1024 * 1024 * 1024;
    const QString a = root + u"a"_s;
    const QString b = root + u"b"_s;
    if (!writeSparse(a, size) || !writeSparse(b, size) || platform::fileLength(b) != size) {
        std::printf("read: no room for 40 GiB sparse files in %s\n", qPrintable(root));
        return 0;
    }
    for (const bool gentle : {false, true}) {
        std::vector<double> read;
        for (int round = 0; round < rounds; ++round) {
            std::atomic<bool> stopflag{false};
            AppState counters;
            const ReadControl control{&stopflag, &counters, gentle};
            const PairSource pair(a, b, size);
            std::vector<KeptRow> kept;
            read.push_back(stopLatency(
                stopflag, [&] { runPass(PassKind::Bytewise, pair, kept, control); },
                [&] { return counters.kbdone.load() > 0; }));
        }
        report(gentle ? "read, gentle (bytewise pass)" : "read (bytewise pass)", read);
    }
    return 0;
}
