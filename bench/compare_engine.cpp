// The comparison engine alone, without the scan: reads "size<TAB>path" lines
// from standard input (as find -printf '%s\t%p\n' writes them), builds the
// result list a scan would (shared sizes, largest first), runs the passes
// given as the first argument (e.g. 24 for fuzzy and bytewise), groups the
// list and prints the counts and the time of the comparison.

#include "compare/comparejob.h"
#include "compare/grouping.h"
#include "core/headlessfrontend.h"

#include <QCoreApplication>
#include <QTextStream>
#include <chrono>
#include <cstdio>

using namespace quillfen;

namespace {} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString plan = argc > 1 ? QString::fromLatin1(argv[1]) : QStringLiteral("24");

    std::vector<std::pair<qint64, QString>> files;
    QTextStream input(stdin);
    QString line;
    while (input.readLineInto(&line)) {
        const qsizetype tab = line.indexOf(u'\t');
        if (tab > 0)
            files.emplace_back(line.left(tab).toLongLong(), line.mid(tab + 1));
    }
    std::stable_sort(files.begin(), files.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    AppState state;
    for (std::size_t k = 0; k < files.size(); ++k) {
        const bool shared = (k > 0 && files[k - 1].first == files[k].first) ||
                            (k + 1 < files.size() && files[k + 1].first == files[k].first);
        if (!shared)
            continue;
        ResultEntry row;
        row.filename = nameOf(files[k].second);
        row.path = folderOf(files[k].second);
        row.size = files[k].first;
        row.dateform = DateForm::Scan;
        state.resultlist.push_back(std::move(row));
    }
    files.clear();
    files.shrink_to_fit();

    const auto start = std::chrono::steady_clock::now();
    state.stopflag = false;
    CompareJobInput job;
    job.list = std::move(state.resultlist);
    job.plan = ComparePlan::fromCodes(plan);
    const qsizetype candidates = qsizetype(job.list.size());
    CompareJobResult result = runComparison(std::move(job), state);
    state.resultlist = std::move(result.list);
    HeadlessFrontend window;
    groupFreshList(state, window);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const qsizetype groups = state.resultlist.empty() ? 0
                                                      : qsizetype(state.resultlist.size()) -
                                                            countnamedrows(state.resultlist) + 1;
    std::printf("candidates %lld, definite %lld in %lld groups, read %.1f MB, %.3f s\n",
                static_cast<long long>(candidates),
                static_cast<long long>(countnamedrows(state.resultlist)),
                static_cast<long long>(groups), state.kbdoneValue() / 1000.0, seconds);
    return 0;
}
