#include "ui/dialogframe.h"
#include "ui/twips.h"

#include <QtTest>

using namespace quillfen;
using namespace Qt::StringLiterals;

class DialogFrameTest : public QObject {
    Q_OBJECT
private slots:
    void frameIsBorderlessWithTitle();
    void skinEdgesFollowTheSize();
    void skinEdgesAreAddedOnce();
};

void DialogFrameTest::frameIsBorderlessWithTitle() {
    FramedDialog dialog(u"Delete files"_s);
    QVERIFY(dialog.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(dialog.titleLabel()->text(), u"Delete files"_s);
    QCOMPARE(dialog.titleLabel()->accessibleName(), u"Delete files"_s);
    dialog.setTitle(u"Move files"_s);
    QCOMPARE(dialog.windowTitle(), u"Move files"_s);
    QCOMPARE(dialog.titleLabel()->text(), u"Move files"_s);
}

void DialogFrameTest::skinEdgesFollowTheSize() {
    FramedDialog dialog(u"Errorlog"_s);
    dialog.resize(400, 300);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* left = dialog.findChild<QLabel*>(u"leftedge"_s);
    auto* right = dialog.findChild<QLabel*>(u"rightedge"_s);
    auto* bottom = dialog.findChild<QLabel*>(u"bottomedge"_s);
    QVERIFY(left && right && bottom);
    QCOMPARE(left->x(), 0);
    QCOMPARE(left->y(), twipsToPixels(420));
    QCOMPARE(right->geometry().right(), dialog.width() - 1);
    QCOMPARE(bottom->geometry().bottom(), dialog.height() - 1);
    QCOMPARE(bottom->width(), dialog.width());

    dialog.resize(520, 360);
    QTRY_COMPARE(right->geometry().right(), 519);
    QCOMPARE(bottom->geometry().bottom(), 359);
    QCOMPARE(bottom->width(), 520);
}

void DialogFrameTest::skinEdgesAreAddedOnce() {
    FramedDialog dialog(u"Export Report"_s);
    addskinedges(&dialog);
    QCOMPARE(dialog.findChildren<QLabel*>(u"leftedge"_s).size(), 1);
}

QTEST_MAIN(DialogFrameTest)
#include "tst_dialogframe.moc"
