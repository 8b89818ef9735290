#include "core/appstate.h"
#include "ui/resultmodel.h"

#include <QAbstractItemModelTester>
#include <QFont>
#include <QtTest>

using namespace quillfen;
using namespace quillfen::ui;
using namespace Qt::StringLiterals;

namespace {

ResultEntry file(const QString& name, const QString& folder, qint64 size) {
    ResultEntry entry;
    entry.filename = name;
    entry.path = folder;
    entry.size = size;
    entry.mtime = QDateTime(QDate(2019, 1, 2), QTime(3, 4, 5)).toSecsSinceEpoch();
    entry.dateform = DateForm::Scan;
    return entry;
}

} // namespace

class ResultModelTest : public QObject {
    Q_OBJECT
private slots:
    void columnsShowTheEntry();
    void separatorRowsHaveNoCheckBoxAndNoSizes();
    void groupLooksFollowTheEntry();
    void checkingARowMarksTheEntry();
    void aBulkChangeIsOneReset();
};

void ResultModelTest::columnsShowTheEntry() {
    AppState state;
    state.resultlist = {file(u"a.txt"_s, u"/data/"_s, 1234567), file(u"b"_s, u"/x/"_s, 0)};
    state.resultlist[1].dateform = DateForm::None;
    ResultModel model(state);
    QAbstractItemModelTester tester(&model);
    QCOMPARE(model.rowCount(), 2);
    auto text = [&](int row, int column) { return model.index(row, column).data().toString(); };
    const QString point = QLocale().decimalPoint();
    QCOMPARE(text(0, 0), u"a.txt"_s);
    QCOMPARE(text(0, 1), u"1"_s + point + u"23"_s);
    QCOMPARE(text(0, 2), u"1234567"_s);
    QCOMPARE(text(0, 3), u"02/01/2019 03:04:05"_s);
    QCOMPARE(text(0, 4), u"/data/"_s);
    QCOMPARE(text(1, 1), u"0"_s + point + u"01"_s);
    QCOMPARE(text(1, 3), QString()); // date could not be read
    for (int column : {1, 2, 3})
        QCOMPARE(model.index(0, column).data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
    for (int column : {0, 4})
        QVERIFY(model.index(0, column).data(Qt::TextAlignmentRole).toInt() & Qt::AlignLeft);
    QCOMPARE(model.headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), u"Size (Byte)"_s);
    QVERIFY(!model.headerData(0, Qt::Vertical, Qt::DisplayRole).isValid());
}

void ResultModelTest::separatorRowsHaveNoCheckBoxAndNoSizes() {
    AppState state;
    ResultEntry separator = ResultEntry::separator();
    separator.size = 0;
    state.resultlist = {file(u"a"_s, u"/"_s, 5), separator, file(u"b"_s, u"/"_s, 7)};
    ResultModel model(state);
    QAbstractItemModelTester tester(&model);
    const QModelIndex row = model.index(1, 0);
    QVERIFY(!row.data(Qt::CheckStateRole).isValid());
    QVERIFY(!(model.flags(row) & Qt::ItemIsUserCheckable));
    QVERIFY(!model.setData(row, Qt::Checked, Qt::CheckStateRole));
    QVERIFY(!state.resultlist[1].checked);
    for (int column = 0; column < 5; ++column)
        QCOMPARE(model.index(1, column).data().toString(), QString());
    QVERIFY(model.flags(model.index(0, 0)) & Qt::ItemIsUserCheckable);
    QVERIFY(!(model.flags(model.index(0, 1)) & Qt::ItemIsUserCheckable));
}

void ResultModelTest::groupLooksFollowTheEntry() {
    AppState state;
    state.resultlist = {file(u"a"_s, u"/"_s, 5), file(u"b"_s, u"/"_s, 5)};
    state.resultlist[0].colour = RowColour::Blue;
    state.resultlist[0].bold = true;
    state.resultlist[0].icon = groupicon::First;
    ResultModel model(state);
    QCOMPARE(model.index(0, 3).data(Qt::ForegroundRole).value<QColor>(), QColor(0x455CA3));
    QCOMPARE(model.index(1, 3).data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::black));
    QVERIFY(model.index(0, 0).data(Qt::FontRole).value<QFont>().bold());
    QVERIFY(!model.index(1, 0).data(Qt::FontRole).isValid());
    // Bold is for the file name; the other four columns keep their weight.
    for (int column = 1; column < 5; ++column)
        QVERIFY(!model.index(0, column).data(Qt::FontRole).value<QFont>().bold());
    QVERIFY(!model.index(0, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
    QVERIFY(!model.index(1, 0).data(Qt::DecorationRole).isValid());
    QVERIFY(!model.index(0, 1).data(Qt::DecorationRole).isValid());

    // On a highlighted row (highlighted in the group colour) every bracket
    // piece stays visible.
    const QColor highlight(0x45, 0x5C, 0xA3);
    for (const quint8 piece : {groupicon::First, groupicon::Middle, groupicon::Last}) {
        state.resultlist[0].icon = piece;
        const auto icon = model.index(0, 0).data(Qt::DecorationRole).value<QIcon>();
        const QImage drawn = icon.pixmap(16, QIcon::Selected).toImage();
        int opaque = 0;
        int contrasting = 0;
        for (int y = 0; y < drawn.height(); ++y) {
            for (int x = 0; x < drawn.width(); ++x) {
                const QColor pixel = drawn.pixelColor(x, y);
                if (pixel.alpha() < 200)
                    continue;
                ++opaque;
                if (std::abs(pixel.lightness() - highlight.lightness()) > 80)
                    ++contrasting;
            }
        }
        QVERIFY2(opaque > 0 && contrasting * 2 > opaque, qPrintable(QString::number(piece)));
    }
}

void ResultModelTest::checkingARowMarksTheEntry() {
    AppState state;
    state.resultlist = {file(u"a"_s, u"/"_s, 5), file(u"b"_s, u"/"_s, 5)};
    ResultModel model(state);
    QSignalSpy toggled(&model, &ResultModel::checkToggled);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QVERIFY(model.setData(model.index(1, 0), Qt::Checked, Qt::CheckStateRole));
    QVERIFY(state.resultlist[1].checked);
    QVERIFY(!state.resultlist[0].checked);
    QCOMPARE(toggled.size(), 1);
    QCOMPARE(toggled[0][0].toInt(), 1);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(model.index(1, 0).data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
    QVERIFY(model.setData(model.index(1, 0), Qt::Unchecked, Qt::CheckStateRole));
    QVERIFY(!state.resultlist[1].checked);
    // Checks changed in the list itself repaint the rows without a reset.
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    state.resultlist[0].checked = true;
    model.checksChanged();
    QCOMPARE(resets.size(), 0);
    QCOMPARE(changed.size(), 3);
    QCOMPARE(changed.last()[0].toModelIndex(), model.index(0, 0));
    QCOMPARE(changed.last()[1].toModelIndex(), model.index(1, 0));
    QCOMPARE(model.index(0, 0).data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
    // Only the check box of the name column can be set.
    QVERIFY(!model.setData(model.index(0, 2), Qt::Checked, Qt::CheckStateRole));
    QVERIFY(!model.setData(model.index(0, 0), u"x"_s, Qt::EditRole));
}

void ResultModelTest::aBulkChangeIsOneReset() {
    AppState state;
    ResultModel model(state);
    QAbstractItemModelTester tester(&model);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    ResultList list;
    list.reserve(200000);
    for (int i = 0; i < 200000; ++i)
        list.push_back(file(u"f%1"_s.arg(i), u"/"_s, 200000 - i));
    state.resultlist = std::move(list);
    // Until the reset arrives the view still sees the old row count.
    QCOMPARE(model.rowCount(), 0);
    model.reload();
    QCOMPARE(resets.size(), 1);
    QCOMPARE(inserted.size(), 0);
    QCOMPARE(model.rowCount(), 200000);
    QCOMPARE(model.index(199999, 0).data().toString(), u"f199999"_s);

    // A list that shrank before the reset is never read past its end.
    state.resultlist.resize(10);
    QVERIFY(!model.index(150000, 0).data().isValid());
    model.reload();
    QCOMPARE(model.rowCount(), 10);
}

QTEST_MAIN(ResultModelTest)
#include "tst_resultmodel.moc"
