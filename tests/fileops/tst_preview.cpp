#include "core/appstate.h"
#include "fakefrontend.h"
#include "fileops/preview.h"

#include <QtTest>

using namespace quillfen;
using namespace Qt::StringLiterals;

namespace {

ResultEntry file(const QString& name, qint64 size, bool checked) {
    ResultEntry entry;
    entry.path = u"/p/"_s;
    entry.filename = name;
    entry.size = size;
    entry.checked = checked;
    return entry;
}

QStringList shown(const AppState& state, const std::vector<qsizetype>& map) {
    QStringList names;
    for (const qsizetype row : map)
        names << state.resultlist[size_t(row)].filename;
    return names;
}

} // namespace

class PreviewTest : public QObject {
    Q_OBJECT
private slots:
    void listsFollowTheChecksWithoutSeparators();
    void movesCheckAndUncheckTheEntries();
    void emptyListShowsNothing();
};

void PreviewTest::listsFollowTheChecksWithoutSeparators() {
    testing::FakeFrontend frontend;
    AppState state;
    state.resultlist = {file(u"a1"_s, 2000000, true), file(u"a2"_s, 2000000, false),
                        ResultEntry::separator(), file(u"b1"_s, 3000000, false),
                        file(u"b2"_s, 3000000, true)};
    const DiscardPreview preview = rebuildpreview(state, frontend);
    QCOMPARE(preview.savedmap, (std::vector<qsizetype>{1, 3}));
    QCOMPARE(preview.discardedmap, (std::vector<qsizetype>{0, 4}));
    QCOMPARE(shown(state, preview.savedmap), (QStringList{u"a2"_s, u"b1"_s}));
    QCOMPARE(state.mbselected, 5);
    QCOMPARE(state.labelmbselected1, u"5 MB"_s);
}

void PreviewTest::movesCheckAndUncheckTheEntries() {
    testing::FakeFrontend frontend;
    AppState state;
    state.resultlist = {file(u"a1"_s, 400000, true), file(u"a2"_s, 2000000, false),
                        ResultEntry::separator(), file(u"b1"_s, 400000, false),
                        file(u"b2"_s, 600000, true)};
    DiscardPreview preview = rebuildpreview(state, frontend);
    QCOMPARE(state.mbselected, 1); // 0.4 -> 0, 0.6 -> 1
    QVERIFY(frontend.noticeVisible(Notice::Preview));

    // Every file of the first group may go; the preview does not object.
    const std::vector<qsizetype> firstSaved = {0};
    preview = movetodiscarded(state, frontend, preview, firstSaved);
    QCOMPARE(shown(state, preview.discardedmap), (QStringList{u"a1"_s, u"a2"_s, u"b2"_s}));
    QCOMPARE(shown(state, preview.savedmap), (QStringList{u"b1"_s}));
    QCOMPARE(state.mbselected, 3); // 0, 2, 3 (2.6)

    // Back to the saved side until less than 1 MB is checked: the notice goes.
    const std::vector<qsizetype> discarded = {1, 2, 7};
    preview = movetosaved(state, frontend, preview, discarded);
    QCOMPARE(shown(state, preview.discardedmap), (QStringList{u"a1"_s}));
    QCOMPARE(shown(state, preview.savedmap), (QStringList{u"a2"_s, u"b1"_s, u"b2"_s}));
    QCOMPARE(state.mbselected, 0);
    QVERIFY(!frontend.noticeVisible(Notice::Preview));

    // No checked rows: nothing changes, the lists are rebuilt all the same.
    const int changes = frontend.checkChanges;
    const DiscardPreview same = movetosaved(state, frontend, preview, {});
    QCOMPARE(same.discardedmap, preview.discardedmap);
    QCOMPARE(same.savedmap, preview.savedmap);
    QCOMPARE(frontend.checkChanges, changes);
}

void PreviewTest::emptyListShowsNothing() {
    testing::FakeFrontend frontend;
    AppState state;
    const DiscardPreview preview = rebuildpreview(state, frontend);
    QVERIFY(preview.savedmap.empty() && preview.discardedmap.empty());
    QCOMPARE(frontend.statusChanges, 0);
}

QTEST_GUILESS_MAIN(PreviewTest)
#include "tst_preview.moc"
