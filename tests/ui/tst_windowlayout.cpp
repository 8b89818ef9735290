// The frameless main window: title bar, layout on resize with its minimum,
// the progress bars after a run, edge resizing and the pointer shapes.

#include "core/busy.h"
#include "core/windowgeometry.h"
#include "ui/dialogframe.h"
#include "ui/titlebutton.h"
#include "windowfixture.h"

#include <QProgressBar>
#include <QScreen>
#include <QTreeView>
#include <QtTest>

using namespace quillfen;
using namespace quillfen::ui;
using namespace quillfen::testing;
using namespace Qt::StringLiterals;

namespace {

int px(double twips) {
    return twipsToPixels(twips);
}

// A mouse event sent straight to the window body, as the window system
// delivers it where no control takes the press.
void sendMouse(QWidget* target, QEvent::Type type, QPoint position, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(position), target->mapToGlobal(QPointF(position)), button,
                      buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

} // namespace

class WindowLayoutTest : public QObject {
    Q_OBJECT
private slots:
    void framelessWithItsOwnTitleBar();
    void layoutFollowsTheWindowSize();
    void resizingBelowTheMinimumSnapsBack();
    void minimisedWindowIsNotLaidOut();
    void barsAreFullAfterARun();
    void edgeBandsResizeOnlyTheirDimension_data();
    void edgeBandsResizeOnlyTheirDimension();
    void edgeDragIgnoresPositionsNearTheOrigin();
    void aMoveWithoutTheButtonEndsTheDrag();
    void savedGeometryFitsTheScreen();
    void pointerShapesNearTheEdges();
    void maximiseAndRestore();
    void noticesFitTheStatusPanel();
    void aWideWindowWidensTheFilenameColumn();
};

void WindowLayoutTest::framelessWithItsOwnTitleBar() {
    Window w;
    QVERIFY(w.window.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(w.window.windowTitle(), u"Quillfen v"_s + programversion());
    QCOMPARE(w.label(u"Label8"_s), w.state.appversion);
    QVERIFY(!w.window.windowIcon().isNull());
    QVERIFY(!w.child<QLabel>(u"titleimage"_s)->pixmap().isNull());
    const QStringList buttons{u"minimise"_s, u"maximise"_s, u"close"_s};
    const QStringList names{u"Minimise"_s, u"Maximise"_s, u"Close"_s};
    for (int i = 0; i < 3; ++i) {
        auto* button = w.child<TitleButton>(buttons[i]);
        QVERIFY(button);
        QCOMPARE(button->accessibleName(), names[i]);
        QCOMPARE(button->toolTip(), names[i]);
    }
    // The main window's own border images.
    for (const QString& edge : {u"leftedge"_s, u"rightedge"_s, u"bottomedge"_s})
        QVERIFY2(w.child<QLabel>(edge), qPrintable(edge));
    QCOMPARE(w.child(u"rightedge"_s)->geometry().right(), w.window.width() - 1);
    QCOMPARE(w.child(u"bottomedge"_s)->geometry().bottom(), w.window.height() - 1);
}

void WindowLayoutTest::layoutFollowsTheWindowSize() {
    Window w;
    const QStringList parts{u"titleimage"_s, u"titlename"_s,    u"Label8"_s,      u"minimise"_s,
                            u"maximise"_s,   u"close"_s,        u"imgapaths"_s,   u"imgascan"_s,
                            u"imgastop"_s,   u"imgasettings"_s, u"imgacompare"_s, u"imgaselect"_s,
                            u"imgadelete"_s, u"imgamove"_s,     u"imgaexport"_s,  u"imgasupport"_s,
                            u"wizardlink"_s, u"aboutlink"_s,    u"historylink"_s, u"ListView1"_s,
                            u"statuspanel"_s};
    const QStringList workingParts{u"Label5"_s,   u"workinganimation"_s, u"workinglabel"_s,
                                   u"hintmenu"_s, u"hinttime"_s,         u"Text1label"_s,
                                   u"Text1"_s,    u"Text2label"_s,       u"Text2"_s,
                                   u"curdir1"_s,  u"progressbar2"_s,     u"progressbar1"_s};
    QRect smallest;
    const qreal pointSize = w.window.font().pointSizeF();
    // The minimum, the usual size, a large one, and a window narrower than
    // the usual minimum, also with large letters (a large scale factor on a
    // small screen).
    const std::pair<QSize, qreal> cases[] = {{QSize(px(14000), px(8000)), 1.0},
                                             {QSize(1200, 800), 1.0},
                                             {QSize(1900, 1000), 1.0},
                                             {QSize(800, 500), 1.0},
                                             {QSize(800, 500), 1.2}};
    for (const auto& [size, letters] : cases) {
        if (size.width() < px(14000))
            w.window.setMinimumSize(0, 0);
        QFont font = w.window.font();
        font.setPointSizeF(pointSize * letters);
        w.window.setFont(font);
        w.window.resize(size);
        QTRY_COMPARE(w.window.size(), size);
        QCoreApplication::processEvents();
        w.window.layoutwindow();
        const QString where =
            u" at %1x%2, letters %3"_s.arg(size.width()).arg(size.height()).arg(letters);
        // Every part is shown whole inside the window, and no two overlap.
        for (int i = 0; i < parts.size(); ++i) {
            QWidget* part = w.child(parts[i]);
            QVERIFY2(part->isVisible() && !part->geometry().isEmpty(),
                     qPrintable(parts[i] + where));
            QVERIFY2(w.window.rect().contains(part->geometry()), qPrintable(parts[i] + where));
            for (int j = 0; j < i; ++j) {
                QVERIFY2(!part->geometry().intersects(w.child(parts[j])->geometry()),
                         qPrintable(parts[i] + u" over "_s + parts[j] + where));
            }
        }
        // The links keep their whole captions; a crowded bar narrows the buttons.
        for (const QString& name : {u"wizardlink"_s, u"aboutlink"_s, u"historylink"_s}) {
            QWidget* link = w.child(name);
            QVERIFY2(link->width() >= link->sizeHint().width(), qPrintable(name + where));
        }
        // The title buttons stand at the right end of the title bar, in order.
        const QRect close = w.child(u"close"_s)->geometry();
        QVERIFY(close.right() >= size.width() - 12);
        QVERIFY(w.child(u"maximise"_s)->geometry().right() < close.left());
        QVERIFY(w.child(u"minimise"_s)->geometry().right() < w.child(u"maximise"_s)->x());
        // The status panel lies under the list; the working panel covers the list.
        const QRect list = w.child(u"ListView1"_s)->geometry();
        QVERIFY(w.child(u"statuspanel"_s)->y() > list.bottom());
        QWidget* working = w.child(u"workingpanel"_s);
        QVERIFY2(working->geometry().contains(list), qPrintable(where));
        // The working panel's texts and bars lie inside it, apart.
        for (int i = 0; i < workingParts.size(); ++i) {
            const QRect part = w.child(workingParts[i])->geometry();
            QVERIFY2(working->rect().contains(part), qPrintable(workingParts[i] + where));
            for (int j = 0; j < i; ++j) {
                QVERIFY2(!part.intersects(w.child(workingParts[j])->geometry()),
                         qPrintable(workingParts[i] + u" over "_s + workingParts[j] + where));
            }
        }
        // The list keeps its top and takes every pixel the window gains.
        if (smallest.isNull()) {
            smallest = list;
        } else if (size.width() > smallest.width()) {
            QCOMPARE(list.topLeft(), smallest.topLeft());
            QCOMPARE(list.width() - smallest.width(), size.width() - px(14000));
            QCOMPARE(list.height() - smallest.height(), size.height() - px(8000));
        }
    }
}

void WindowLayoutTest::resizingBelowTheMinimumSnapsBack() {
    Window w;
    const QSize minimum(px(14000), px(8000));
    w.window.resize(300, 200);
    QTRY_COMPARE(w.window.size(), minimum);
    QVERIFY(w.window.rect().contains(w.child(u"statuspanel"_s)->geometry()));
    // One dimension alone snaps back too, the other is kept.
    w.window.resize(1100, 100);
    QTRY_COMPARE(w.window.size(), QSize(1100, minimum.height()));
}

void WindowLayoutTest::minimisedWindowIsNotLaidOut() {
    Window w;
    w.window.resize(1000, 700);
    const QRect laidOut = w.child(u"ListView1"_s)->geometry();
    auto* bar = w.child<QProgressBar>(u"progressbar1"_s);
    w.window.showMinimized();
    QVERIFY(w.window.isMinimized());
    // Parts out of place and a half-full bar, then the resize steps of a
    // window manager that resizes the minimised window.
    w.child(u"ListView1"_s)->setGeometry(0, 0, 100, 80);
    bar->setValue(500);
    w.window.resize(1300, 900);
    QResizeEvent resize(QSize(1300, 900), QSize(1000, 700));
    QApplication::sendEvent(&w.window, &resize);
    w.window.layoutwindow();
    QCOMPARE(w.child(u"ListView1"_s)->geometry(), QRect(0, 0, 100, 80));
    QCOMPARE(bar->value(), 500);
    // Shown again, it is laid out for the size it has then.
    w.window.showNormal();
    QTRY_COMPARE(w.child(u"ListView1"_s)->y(), laidOut.y());
    QCOMPARE(w.child(u"ListView1"_s)->width(), laidOut.width() + w.window.width() - 1000);
    QCOMPARE(bar->value(), bar->maximum());
}

void WindowLayoutTest::barsAreFullAfterARun() {
    Window w;
    auto* bar1 = w.child<QProgressBar>(u"progressbar1"_s);
    auto* bar2 = w.child<QProgressBar>(u"progressbar2"_s);
    beginbusy(w.state, w.window);
    w.state.progressvisible = true;
    w.state.progressmax = 10;
    w.state.progressdone = 3;
    w.state.groupmax = 4;
    w.state.groupdone = 1;
    w.window.statusChanged();
    QCOMPARE(bar1->value(), 300);
    QCOMPARE(bar2->value(), 250);
    // While the run goes on a resize keeps the fill in proportion.
    w.window.resize(w.window.width() + 40, w.window.height());
    QCOMPARE(bar1->value(), 300);
    QCOMPARE(bar2->value(), 250);

    w.state.progressdone = 5;
    endbusy(w.state, w.window);
    w.window.resize(w.window.width() + 40, w.window.height() + 20);
    QCOMPARE(bar1->value(), bar1->maximum());
    QCOMPARE(bar2->value(), bar2->maximum());
}

void WindowLayoutTest::edgeBandsResizeOnlyTheirDimension_data() {
    QTest::addColumn<QPoint>("fromEdge"); // press position measured from the bottom-right corner
    QTest::addColumn<bool>("width");
    QTest::addColumn<bool>("height");
    // 110 twips are 7 pixels, 200 twips 13.
    QTest::newRow("corner") << QPoint(4, 4) << true << true;
    QTest::newRow("right band") << QPoint(10, 300) << true << false;
    QTest::newRow("right band at the bottom") << QPoint(12, 10) << true << false;
    QTest::newRow("bottom band") << QPoint(300, 10) << false << true;
    QTest::newRow("body") << QPoint(300, 300) << false << false;
}

void WindowLayoutTest::edgeBandsResizeOnlyTheirDimension() {
    QFETCH(QPoint, fromEdge);
    QFETCH(bool, width);
    QFETCH(bool, height);
    Window w;
    w.window.resize(1100, 700);
    const QSize before = w.window.size();
    const QPoint press(before.width() - fromEdge.x(), before.height() - fromEdge.y());
    sendMouse(&w.window, QEvent::MouseButtonPress, press, Qt::LeftButton, Qt::LeftButton);
    const QPoint moved = press + QPoint(60, 40);
    sendMouse(&w.window, QEvent::MouseMove, moved, Qt::NoButton, Qt::LeftButton);
    // The new size is the pointer position plus 50 twips.
    const int newWidth = px(moved.x() * 15.0 + 50);
    const int newHeight = px(moved.y() * 15.0 + 50);
    QTRY_COMPARE(w.window.size(),
                 QSize(width ? newWidth : before.width(), height ? newHeight : before.height()));
    sendMouse(&w.window, QEvent::MouseButtonRelease, moved, Qt::LeftButton, Qt::NoButton);

    // After the release, moving the pointer resizes nothing.
    const QSize released = w.window.size();
    sendMouse(&w.window, QEvent::MouseMove, moved + QPoint(30, 30), Qt::NoButton, Qt::NoButton);
    QCoreApplication::processEvents();
    QCOMPARE(w.window.size(), released);
}

void WindowLayoutTest::edgeDragIgnoresPositionsNearTheOrigin() {
    Window w;
    w.window.resize(1100, 700);
    // Pressed in the right band, then dragged to 15 pixels (225 twips) from
    // the left: below 300 twips the pointer is ignored, so the window keeps
    // its size instead of shrinking.
    sendMouse(&w.window, QEvent::MouseButtonPress, QPoint(1095, 300), Qt::LeftButton,
              Qt::LeftButton);
    sendMouse(&w.window, QEvent::MouseMove, QPoint(15, 300), Qt::NoButton, Qt::LeftButton);
    QCoreApplication::processEvents();
    QCOMPARE(w.window.size(), QSize(1100, 700));
    // A little further, the drag goes on, held at the minimum width.
    sendMouse(&w.window, QEvent::MouseMove, QPoint(40, 300), Qt::NoButton, Qt::LeftButton);
    QTRY_COMPARE(w.window.size(), QSize(px(14000), 700));
    sendMouse(&w.window, QEvent::MouseButtonRelease, QPoint(40, 300), Qt::LeftButton, Qt::NoButton);
}

void WindowLayoutTest::aMoveWithoutTheButtonEndsTheDrag() {
    // Where the window manager keeps the release to itself, the next move
    // arrives with no button held: the drag is over, and a later move that
    // still claims the button (a stale state) starts nothing either.
    for (const QPoint fromEdge : {QPoint(4, 4), QPoint(10, 300), QPoint(300, 10)}) {
        Window w;
        w.window.resize(1100, 700);
        const QSize before = w.window.size();
        const QPoint press(before.width() - fromEdge.x(), before.height() - fromEdge.y());
        sendMouse(&w.window, QEvent::MouseButtonPress, press, Qt::LeftButton, Qt::LeftButton);
        sendMouse(&w.window, QEvent::MouseMove, press + QPoint(-80, -60), Qt::NoButton,
                  Qt::NoButton);
        QCoreApplication::processEvents();
        QCOMPARE(w.window.size(), before);
        sendMouse(&w.window, QEvent::MouseMove, press + QPoint(-120, -90), Qt::NoButton,
                  Qt::LeftButton);
        QCoreApplication::processEvents();
        QCOMPARE(w.window.size(), before);
    }
}

void WindowLayoutTest::savedGeometryFitsTheScreen() {
    // Sizes far beyond any screen, or a window placed far off it, open
    // inside the screen; the sizes are clamped when read, not painted.
    const QStringList sizes[] = {{u"2147483647"_s, u"2147483647"_s, u"0"_s, u"600"_s, u"600"_s},
                                 {u"15000"_s, u"10000"_s, u"0"_s, u"-900000"_s, u"9000000"_s}};
    for (const QStringList& head : sizes) {
        TempTree folder;
        QStringList lines = head;
        lines << u"True"_s << u"1"_s << u"0"_s << u"1"_s << u"0"_s << u"0"_s << u"0"_s << QString()
              << u"<skipfolders>"_s << u"</skipfolders>"_s << u"<skipextensions>"_s
              << u"</skipextensions>"_s << u"<prepat>"_s << u"All files|*.*"_s << u"</prepat>"_s;
        folder.writeFile(u"settings.dat"_s, (lines.join(u"\r\n"_s) + u"\r\n"_s).toUtf8());
        AppState state;
        ScriptedMessageBoxes boxes;
        ScriptedChoosers choosers;
        MainWindow window(state, &boxes, &choosers);
        SystemFacts system;
        system.programFolder = folder.root();
        window.load(system);
        window.show();
        const QRect screen = window.screen()->availableGeometry();
        QVERIFY2(screen.contains(window.geometry()), qPrintable(u"%1,%2 %3x%4"_s.arg(window.x())
                                                                    .arg(window.y())
                                                                    .arg(window.width())
                                                                    .arg(window.height())));
        QVERIFY(window.minimumWidth() <= screen.width());
        QVERIFY(window.minimumHeight() <= screen.height());
    }
}

void WindowLayoutTest::pointerShapesNearTheEdges() {
    Window w;
    w.window.resize(1100, 700);
    auto hoverAt = [&](QPoint position) {
        sendMouse(&w.window, QEvent::MouseMove, position, Qt::NoButton, Qt::NoButton);
        return w.window.cursor().shape();
    };
    QCOMPARE(hoverAt(QPoint(500, 690)), Qt::ArrowCursor);
    // 100 twips are 6.7 pixels; the corner is 145 by 95 twips.
    QCOMPARE(hoverAt(QPoint(1095, 300)), Qt::SizeHorCursor);
    QCOMPARE(hoverAt(QPoint(500, 695)), Qt::SizeVerCursor);
    QCOMPARE(hoverAt(QPoint(1092, 696)), Qt::SizeAllCursor);
    QCOMPARE(hoverAt(QPoint(1085, 300)), Qt::ArrowCursor);

    // Passive parts of the window show the same pointers: a caption label
    // at the bottom of the status panel is seen through the window.
    QLabel* caption = w.child<QLabel>(u"labelfound1caption"_s);
    QMouseEvent hover(QEvent::MouseMove, QPointF(1, 1), caption->mapToGlobal(QPointF(1, 1)),
                      Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    hoverAt(QPoint(1095, 300));
    QApplication::sendEvent(caption, &hover);
    QCOMPARE(w.window.cursor().shape(), Qt::ArrowCursor);

    // While the right edge is pulled, the corner does not change the pointer.
    sendMouse(&w.window, QEvent::MouseButtonPress, QPoint(1095, 300), Qt::LeftButton,
              Qt::LeftButton);
    sendMouse(&w.window, QEvent::MouseButtonRelease, QPoint(1095, 300), Qt::LeftButton,
              Qt::NoButton);
    w.window.edgemousedown(QPoint(1095, 300), Qt::RightButton);
    sendMouse(&w.window, QEvent::MouseMove, QPoint(w.window.width() - 3, w.window.height() - 3),
              Qt::NoButton, Qt::RightButton);
    QCOMPARE(w.window.cursor().shape(), Qt::SizeHorCursor);
    w.window.edgemouseup();
}

void WindowLayoutTest::maximiseAndRestore() {
    Window w;
    QVERIFY(!w.window.isMaximized());
    QTest::mouseClick(w.child(u"maximise"_s), Qt::LeftButton);
    QTRY_VERIFY(w.window.isMaximized());
    QCOMPARE(w.child(u"maximise"_s)->accessibleName(), u"Restore"_s);
    // A maximised window has no edges to pull.
    QCOMPARE(w.window.cursor().shape(), Qt::ArrowCursor);
    const QSize maximised = w.window.size();
    sendMouse(&w.window, QEvent::MouseButtonPress,
              QPoint(maximised.width() - 2, maximised.height() - 2), Qt::LeftButton,
              Qt::LeftButton);
    sendMouse(&w.window, QEvent::MouseMove, QPoint(maximised.width() - 50, 300), Qt::NoButton,
              Qt::LeftButton);
    QCOMPARE(w.window.size(), maximised);
    sendMouse(&w.window, QEvent::MouseButtonRelease, QPoint(1, 1), Qt::LeftButton, Qt::NoButton);

    // A double-click on the title label restores it.
    QTest::mouseDClick(w.child(u"Label8"_s), Qt::LeftButton);

    QTRY_VERIFY(!w.window.isMaximized());
    QCOMPARE(w.child(u"maximise"_s)->accessibleName(), u"Maximise"_s);
    // So does one on the empty part of the title strip, back and forth.
    QTest::mouseDClick(&w.window, Qt::LeftButton, {}, QPoint(w.window.width() / 2, 5));
    QTRY_VERIFY(w.window.isMaximized());
    QTest::mouseDClick(&w.window, Qt::LeftButton, {}, QPoint(w.window.width() / 2, 5));
    QTRY_VERIFY(!w.window.isMaximized());

    // Maximise/restore leaves a minimised window as it is.
    w.window.showMinimized();
    w.window.toggleMaximised();
    QVERIFY(w.window.isMinimized());
    QVERIFY(!w.window.isMaximized());
    w.window.showNormal();

    // Minimise from the title bar.
    QTest::mouseClick(w.child(u"minimise"_s), Qt::LeftButton);
    QVERIFY(w.window.isMinimized());
}

void WindowLayoutTest::noticesFitTheStatusPanel() {
    Window w;
    // A large scale factor on a small screen leaves the window narrower
    // than its usual minimum.
    w.window.setMinimumSize(0, 0);
    auto* status = w.child(u"statuspanel"_s);
    const struct {
        Notice notice;
        const char16_t* box;
        const char16_t* text;
    } notices[] = {{Notice::Warning, u"warningnotice", u"warninglink"},
                   {Notice::Completion, u"completionnotice", u"completiontext"}};
    for (const QSize size : {QSize(800, 500), QSize(1200, 800)}) {
        w.window.resize(size);
        for (const auto& shown : notices) {
            w.window.setNoticeVisible(shown.notice, true);
            auto* box = w.child(QString::fromUtf16(shown.box));
            auto* text = w.child<QLabel>(QString::fromUtf16(shown.text));
            QTRY_VERIFY(box->isVisible());
            QCoreApplication::processEvents();
            const QString where = u"%1 at %2x%3"_s.arg(QString::fromUtf16(shown.box))
                                      .arg(size.width())
                                      .arg(size.height());
            QVERIFY2(status->rect().contains(box->geometry()), qPrintable(where));
            QVERIFY2(text->height() >= text->heightForWidth(text->width()), qPrintable(where));
            QVERIFY2(status->geometry().bottom() < w.window.height(), qPrintable(where));
            w.window.setNoticeVisible(shown.notice, false);
        }
    }
}

void WindowLayoutTest::aWideWindowWidensTheFilenameColumn() {
    Window w;
    auto* list = w.child<QTreeView>(u"ListView1"_s);
    w.window.resize(1000, 700);
    const int narrow = list->columnWidth(0);
    // A maximised window on a wide screen: names are not elided while the
    // paths take all the room.
    w.window.resize(1900, 1000);
    const int wide = list->columnWidth(0);
    QVERIFY2(wide - narrow >= 900 / 3, qPrintable(u"%1 -> %2"_s.arg(narrow).arg(wide)));
    QVERIFY(list->columnWidth(4) >= wide);
    w.window.resize(1000, 700);
    QCOMPARE(list->columnWidth(0), narrow);
}

QTEST_MAIN(WindowLayoutTest)
#include "tst_windowlayout.moc"
