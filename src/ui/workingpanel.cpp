#include "ui/workingpanel.h"

#include "core/windowgeometry.h"
#include "ui/pictures.h"
#include "ui/workinganimation.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QPainter>
#include <utility>

namespace quillfen::ui {

using namespace Qt::StringLiterals;

namespace {

QLabel* hint(QWidget* parent, const QString& name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAccessibleName(text);
    label->setToolTip(text);
    label->setWordWrap(true);
    return label;
}

QLineEdit* field(QWidget* parent, const QString& name, const QString& accessible,
                 const QString& tip) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setAccessibleName(accessible);
    edit->setToolTip(tip);
    edit->setPlaceholderText(tip);
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::ClickFocus);
    return edit;
}

QProgressBar* bar(QWidget* parent, const QString& name, const QString& accessible) {
    auto* progress = new QProgressBar(parent);
    progress->setObjectName(name);
    progress->setAccessibleName(accessible);
    progress->setToolTip(accessible);
    progress->setTextVisible(false);
    progress->setRange(0, 1000);
    progress->setValue(0);
    return progress;
}

// Progress in thousandths, so that counts beyond the bar's int range work.
int permille(qint64 done, qint64 total) {
    if (total <= 0)
        return 0;
    return int(qBound(qint64(0), done * 1000 / total, qint64(1000)));
}

int px(double twips) {
    return twipsToPixels(twips);
}

constexpr int kHeading = 30; // height of the caption band, pixels
constexpr int kMargin = 16;
// The fields and bars at the bottom, in twips.
constexpr double kFieldHeight = 300;
constexpr double kBarHeight = 270;
constexpr double kBarsLeft = 150;
constexpr double kFolderLeft = 190;
constexpr double kFilesLeft = 850;
constexpr double kRightMargin = 160;
constexpr double kFolderGap = 60; // from the second file to the folder
constexpr double kBarsGap = 140;  // from the folder to the second bar
constexpr double kBetweenBars = 30;
constexpr double kBottomMargin = 130;

} // namespace

WorkingPanel::WorkingPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(u"workingpanel"_s);
    setAccessibleName(u"The program is working..."_s);

    m_caption = hint(this, u"Label5"_s, u"Scan progress"_s);
    m_caption->setWordWrap(false);
    m_caption->setIndent(kMargin);
    QFont headingFont = m_caption->font();
    headingFont.setBold(true);
    m_caption->setFont(headingFont);
    QPalette white = m_caption->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    m_caption->setPalette(white);

    m_animation = new WorkingAnimation(this);
    m_animation->setObjectName(u"workinganimation"_s);
    m_animation->setAccessibleName(u"The program is working..."_s);
    m_animation->setToolTip(u"The program is working..."_s);

    m_working = hint(this, u"workinglabel"_s, u"The program is working..."_s);
    QFont font = m_working->font();
    font.setPointSizeF(font.pointSizeF() * 1.4);
    font.setBold(true);
    m_working->setFont(font);
    QPalette ink = m_working->palette();
    ink.setColor(QPalette::WindowText, colours::ink());
    m_working->setPalette(ink);

    m_hintMenu = hint(this, u"hintmenu"_s,
                      u"You can right-click on the list of duplicates to get a menu with various "
                      "options. You may do this when the program is done working."_s);
    m_hintTime =
        hint(this, u"hinttime"_s,
             u"The time it will take for the program to find and process your files depends on how "
             "many files there are. And when you compare them, larger files may take significantly "
             "longer to compare."_s);

    m_progress = bar(this, u"progressbar1"_s, u"Scan progress"_s);
    m_groupProgress = bar(this, u"progressbar2"_s, u"Files of the size being compared"_s);
    m_folder = field(this, u"curdir1"_s, u"Folder"_s, u"The folder being scanned"_s);
    m_file1 = field(this, u"Text1"_s, u"First file"_s, u"A file being compared"_s);
    m_file2 = field(this, u"Text2"_s, u"Second file"_s, u"The file it is compared with"_s);
    m_text1Caption = hint(this, u"Text1label"_s, u"File 1:"_s);
    m_text1Caption->setWordWrap(false);
    m_text1Caption->setBuddy(m_file1);
    m_text2Caption = hint(this, u"Text2label"_s, u"File 2:"_s);
    m_text2Caption->setWordWrap(false);
    m_text2Caption->setBuddy(m_file2);

    // The caption band across the top, the picture and the hints below it.
    auto* panel = new QVBoxLayout(this);
    panel->setContentsMargins(0, 0, 0, px(kBottomMargin));
    panel->setSpacing(0);
    m_caption->setFixedHeight(kHeading);
    // The band is painted whether its caption shows or not.
    QSizePolicy band = m_caption->sizePolicy();
    band.setRetainSizeWhenHidden(true);
    m_caption->setSizePolicy(band);
    panel->addWidget(m_caption);
    auto* top = new QHBoxLayout;
    top->setContentsMargins(kMargin, 12, kMargin, 0);
    top->setSpacing(14);
    top->addWidget(m_animation, 0, Qt::AlignTop);
    auto* hints = new QVBoxLayout;
    hints->setSpacing(6);
    for (QLabel* label : {m_working, m_hintMenu, m_hintTime})
        hints->addWidget(label);
    top->addLayout(hints, 1);
    panel->addLayout(top);
    panel->addStretch(1);

    // The fields and bars keep their distances from the panel's bottom.
    const int fieldHeight = px(kFieldHeight);
    auto* files = new QGridLayout;
    files->setContentsMargins(px(kBarsLeft), 0, px(kRightMargin), 0);
    files->setHorizontalSpacing(4);
    files->setVerticalSpacing(0);
    files->setColumnMinimumWidth(0, px(kFilesLeft - kBarsLeft) - 4);
    files->setColumnStretch(1, 1);
    int row = 0;
    for (auto [caption, file] : {std::pair{m_text1Caption, m_file1}, {m_text2Caption, m_file2}}) {
        caption->setFixedHeight(fieldHeight);
        file->setFixedHeight(fieldHeight);
        files->addWidget(caption, row, 0);
        files->addWidget(file, row, 1);
        ++row;
    }
    panel->addLayout(files);
    panel->addSpacing(px(kFolderGap));
    auto* folder = new QHBoxLayout;
    folder->setContentsMargins(px(kFolderLeft), 0, px(kRightMargin), 0);
    m_folder->setFixedHeight(fieldHeight);
    folder->addWidget(m_folder);
    panel->addLayout(folder);
    panel->addSpacing(px(kBarsGap));
    auto* bars = new QVBoxLayout;
    bars->setContentsMargins(px(kBarsLeft), 0, px(kRightMargin), 0);
    bars->setSpacing(px(kBetweenBars));
    for (QProgressBar* progress : {m_groupProgress, m_progress}) {
        progress->setFixedHeight(px(kBarHeight));
        // A hidden bar keeps its place: the fields above it do not move.
        QSizePolicy policy = progress->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        progress->setSizePolicy(policy);
        bars->addWidget(progress);
    }
    panel->addLayout(bars);
}

void WorkingPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.fillRect(QRect(0, 0, width(), kHeading), colours::accent());
    painter.setPen(colours::line());
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void WorkingPanel::showProgress(bool visible, qint64 done, qint64 total, qint64 groupDone,
                                qint64 groupTotal) {
    m_progress->setVisible(visible);
    m_groupProgress->setVisible(visible && groupTotal > 0);
    m_progress->setValue(permille(done, total));
    m_groupProgress->setValue(permille(groupDone, groupTotal));
}

void WorkingPanel::fillBars() {
    m_progress->setValue(m_progress->maximum());
    m_groupProgress->setValue(m_groupProgress->maximum());
}

void WorkingPanel::showTexts(const QString& caption, const QString& folder, const QString& file1,
                             const QString& file2) {
    if (m_caption->text() != caption) {
        m_caption->setText(caption);
        m_caption->setAccessibleName(caption);
    }
    if (m_folder->text() != folder)
        m_folder->setText(folder);
    if (m_file1->text() != file1)
        m_file1->setText(file1);
    if (m_file2->text() != file2)
        m_file2->setText(file2);
}

} // namespace quillfen::ui
