// Times the result and file dialogs on a big result list, offscreen: opening
// the Delete files dialog with every file checked, the preview and a move in
// it, the list's "Select all" through its menu with the view repainting, the
// Select files dialog's "&OK", and an error log of many messages. First, what
// the window does when a comparison run ends (the groups coloured, the list
// reset and painted) and how long the slowest of many jumps through the
// list takes to paint.
//
//   QT_QPA_PLATFORM=offscreen build/bench/bench_dialogs [rows]   (default 1,000,000)

#include "biglist.h"
#include "compare/grouping.h"
#include "core/appstate.h"
#include "core/headlessfrontend.h"
#include "ui/deletefilesdialog.h"
#include "ui/errorlogdialog.h"
#include "ui/filechoosers.h"
#include "ui/previewdialog.h"
#include "ui/resultlistcommands.h"
#include "ui/resultmodel.h"
#include "ui/rowtablemodel.h"
#include "ui/selectfilesdialog.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeView>
#include <cstdio>
#include <cstdlib>

using namespace quillfen;
using namespace quillfen::ui;
using namespace Qt::StringLiterals;

namespace {

// Repaints the one view, as the main window does.
class BenchFrontend : public HeadlessFrontend {
public:
    BenchFrontend() : HeadlessFrontend(MessageAnswer::Ok) {}
    void resultListReset() override {
        if (model)
            model->reload();
    }
    void resultChecksChanged() override {
        if (model)
            model->checksChanged();
    }
    ResultModel* model = nullptr;
};

class NoChoosers : public FileChoosers {
public:
    QString chooseFolder(QWidget*, const QString&) override { return {}; }
    QString chooseOpenFile(QWidget*, const QString&, const QString&) override { return {}; }
    QString chooseSaveFile(QWidget*, const QString&, const QString&) override { return {}; }
};

template <typename Step> void timed(const char* name, Step step) {
    QElapsedTimer timer;
    timer.start();
    step();
    QApplication::processEvents();
    std::printf("%-62s %8lld ms\n", name, static_cast<long long>(timer.elapsed()));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const qint64 rows = argc > 1 ? std::atoll(argv[1]) : 1000000;
    AppState state;
    BenchFrontend frontend;
    NoChoosers choosers;
    state.resultlist = bench::bigResultList(rows);
    std::printf("%lld files, %zu rows\n", static_cast<long long>(rows), state.resultlist.size());

    QWidget window;
    window.resize(1000, 700);
    auto* model = new ResultModel(state, &window);
    frontend.model = model;
    auto* view = new QTreeView(&window);
    view->setUniformRowHeights(true);
    view->setModel(model);
    view->resize(1000, 700);
    auto* commands = new ResultListCommands(state, frontend, view, model);
    window.show();
    QApplication::processEvents();

    timed("end of a comparison run: groups coloured, list reset and painted", [&] {
        groupFreshList(state, frontend);
        frontend.resultListReset();
        view->repaint();
    });
    {
        // Jumps spread over the whole list, as a dragged scroll bar makes them.
        QScrollBar* bar = view->verticalScrollBar();
        qint64 slowest = 0;
        QElapsedTimer timer;
        for (int jump = 0; jump < 200; ++jump) {
            timer.start();
            bar->setValue(int(qint64(bar->maximum()) * ((jump * 7919) % 200) / 199));
            view->viewport()->repaint();
            slowest = qMax(slowest, timer.elapsed());
        }
        std::printf("%-62s %8lld ms\n", "slowest of 200 jumps through the list, painted",
                    static_cast<long long>(slowest));
        bar->setValue(0);
    }
    timed("menu \"Select all\" (recount, view repainted)",
          [&] { commands->action(u"selall"_s)->trigger(); });
    timed("Delete files dialog opened with every file checked", [&] {
        JobRunner runner;
        DeleteFilesDialog dialog(state, frontend, runner, &window);
        dialog.show();
        QApplication::processEvents();
    });
    timed("menu \"Select inverse\"", [&] { commands->action(u"selinv"_s)->trigger(); });
    {
        std::unique_ptr<PreviewDialog> preview;
        timed("preview dialog opened (both lists built, recount)", [&] {
            preview = std::make_unique<PreviewDialog>(state, frontend, &window);
            preview->show();
            QApplication::processEvents();
        });
        timed("preview: 1,000 rows ticked and moved to the discarded side", [&] {
            for (qsizetype row = 0; row < 1000; ++row)
                preview->savedModel()->setChecked(row * 7, true);
            preview->findChild<QPushButton*>(u"Command1"_s)->click();
        });
    }
    timed("Select files dialog, \"&OK\" with the default settings", [&] {
        SelectFilesDialog dialog(state, frontend, choosers, &window);
        dialog.show();
        dialog.findChild<QPushButton*>(u"Command1"_s)->click();
    });
    state.errorlog.clear();
    for (qint64 k = 0; k < rows / 10; ++k)
        state.errorlog.append(u"Error: 'Permission denied' occured while trying to delete the "
                              u"file: file%1.dat"_s.arg(k));
    timed("Errorlog dialog opened with a tenth of the files as messages", [&] {
        ErrorLogDialog dialog(state, &window);
        dialog.show();
        QApplication::processEvents();
    });
    return 0;
}
