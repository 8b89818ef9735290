#include "ui/statuspanel.h"

#include "core/format.h"
#include "ui/pictures.h"
#include "ui/textlink.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace quillfen::ui {

using namespace Qt::StringLiterals;

namespace {

// A value label carries its caption in its accessible name, so that a
// screen reader says what the number is.
void setValue(QLabel* label, const QString& text) {
    if (label->text() == text)
        return;
    label->setText(text);
    label->setAccessibleName(label->property("caption").toString() + u": "_s + text);
}

QLabel* noticeText(QWidget* parent, const QString& name, const QString& text, const QString& tip) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAccessibleName(text);
    label->setToolTip(tip);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QLabel* noticeTitle(QWidget* parent, const QString& name, const QString& text, const QColor& colour,
                    const QString& tip) {
    QLabel* label = noticeText(parent, name, text, tip);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    QPalette shades = label->palette();
    shades.setColor(QPalette::WindowText, colour);
    label->setPalette(shades);
    return label;
}

QWidget* noticeBox(QWidget* parent, const QString& name, const QString& accessible) {
    auto* box = new QWidget(parent);
    box->setObjectName(name);
    box->setAccessibleName(accessible);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    box->hide();
    return box;
}

} // namespace

StatusPanel::StatusPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(u"statuspanel"_s);
    setAccessibleName(u"Status"_s);

    auto* grid = new QGridLayout;
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(3);
    struct Counter {
        QLabel** value;
        const char16_t* name;
        const char16_t* caption;
        const char16_t* tip;
        const char16_t* start;
    };
    const Counter counters[] = {
        {&m_found, u"labelfound1", u"Files of interest", u"Files the scan recorded", u"0"},
        {&m_possible, u"labelposs1", u"Possible duplicates",
         u"Files that share their size with another file", u"0"},
        {&m_definite, u"labeldef1", u"Definate duplicates",
         u"Files whose contents matched another file", u"0"},
        {&m_timeSpent, u"labeltime1", u"Time spent", u"Time the run has taken", u"00:00:00"},
        {&m_dataScanned, u"labelmbnow1", u"Total data scanned", u"File data read by the comparison",
         u"0 KB"},
        {&m_skipped, u"labelskipped1", u"Files skipped",
         u"Files left out by a filter or already recorded", u"0"},
        {&m_unreadable, u"labelunreadable1", u"Unreadable files",
         u"Folders that could not be listed and files whose size could not be read", u"0"},
        {&m_compared, u"labelfilescomp1", u"Files compared", u"Files compared so far", u"0"},
        {&m_selectedSize, u"labelmbselected1", u"Selected files (size)",
         u"Size of the checked files", u"0 MB"},
    };
    int index = 0;
    for (const Counter& counter : counters) {
        const QString name = QString::fromUtf16(counter.name);
        const QString caption = QString::fromUtf16(counter.caption);
        auto* captionLabel = new QLabel(caption, this);
        captionLabel->setObjectName(name + u"caption"_s);
        captionLabel->setAccessibleName(caption);
        captionLabel->setToolTip(QString::fromUtf16(counter.tip));
        QPalette muted = captionLabel->palette();
        muted.setColor(QPalette::WindowText, colours::ink().lighter(150));
        captionLabel->setPalette(muted);
        auto* value = new QLabel(this);
        value->setObjectName(name);
        value->setProperty("caption", caption);
        value->setToolTip(QString::fromUtf16(counter.tip));
        QFont bold = value->font();
        bold.setBold(true);
        value->setFont(bold);
        value->setMinimumWidth(value->fontMetrics().horizontalAdvance(u"00:00:00 MB"_s));
        setValue(value, QString::fromUtf16(counter.start));
        captionLabel->setBuddy(value);
        *counter.value = value;
        const int row = index % 3;
        const int column = (index / 3) * 2;
        grid->addWidget(captionLabel, row, column);
        grid->addWidget(value, row, column + 1);
        ++index;
    }

    // The preview panel: shown while the checked files add up to 1 MB or more.
    m_previewNotice = new QFrame(this);
    m_previewNotice->setObjectName(u"Frame4"_s);
    m_previewNotice->setAccessibleName(u"Preview"_s);
    m_previewNotice->setToolTip(u"Shows which files will be kept and which discarded"_s);
    m_previewLink = new TextLink(u"Preview the files that will be affected (saved or discarded)"_s,
                                 m_previewNotice);
    m_previewLink->setObjectName(u"previewnotice"_s);
    m_previewLink->setToolTip(u"Shows which files will be kept and which discarded"_s);
    auto* previewLayout = new QHBoxLayout(m_previewNotice);
    previewLayout->setContentsMargins(0, 0, 0, 0);
    previewLayout->addWidget(m_previewLink);
    previewLayout->addStretch(1);
    m_previewNotice->hide();
    connect(m_previewLink, &TextLink::activated, this, &StatusPanel::previewLinkActivated);

    // The warning after a scan alone or a fuzzy comparison.
    QWidget* warning = noticeBox(this, u"warningnotice"_s, u"WARNING! Don't delete any files!"_s);
    warning->layout()->addWidget(noticeTitle(
        warning, u"warningtitle"_s, u"WARNING! Don't delete any files!"_s, QColor(0xB0, 0x3A, 0x2E),
        u"The files in the list share their size; their contents were not compared exactly"_s));
    const QString sentence = u"You should run Compare with CRC or Bytewise comparison to be "
                             "certain that the files in the list are truly duplicate files."_s;
    m_warningSentence = new QLabel(warning);
    m_warningSentence->setObjectName(u"warninglink"_s);
    m_warningSentence->setAccessibleName(sentence);
    m_warningSentence->setToolTip(u"Compare opens the comparison of the files in the list"_s);
    m_warningSentence->setWordWrap(true);
    m_warningSentence->setTextFormat(Qt::RichText);
    m_warningSentence->setTextInteractionFlags(Qt::LinksAccessibleByMouse |
                                               Qt::LinksAccessibleByKeyboard);
    m_warningSentence->setText(
        u"You should run <a href=\"compare\" style=\"color:#455CA3\"><b>Compare</b></a> with CRC "
        "or Bytewise comparison to be certain that the files in the list are truly duplicate "
        "files."_s);
    connect(m_warningSentence, &QLabel::linkActivated, this, &StatusPanel::compareLinkActivated);
    warning->layout()->addWidget(m_warningSentence);
    m_notices[int(Notice::Warning)] = warning;

    // The notice after a CRC or bytewise comparison.
    QWidget* completion =
        noticeBox(this, u"completionnotice"_s, u"Accurate comparison completed!"_s);
    completion->layout()->addWidget(noticeTitle(
        completion, u"completiontitle"_s, u"Accurate comparison completed!"_s,
        QColor(0x2E, 0x7D, 0x4F), u"The contents of the files in the list were compared"_s));
    completion->layout()->addWidget(noticeText(
        completion, u"completiontext"_s,
        u"It's now safe to assume that the files you see in the list above are truly duplicates."_s,
        u"The contents of the files in the list were compared"_s));
    m_notices[int(Notice::Completion)] = completion;
    m_notices[int(Notice::Preview)] = m_previewNotice;

    // Taking back the last operation, and what the last replacement freed.
    m_undoLink = new TextLink(u"Undo last operation"_s, this);
    m_undoLink->setObjectName(u"undolink"_s);
    m_undoLink->setToolTip(u"Takes back the last recycle, move or replacement by links"_s);
    m_freed = new QLabel(this);
    m_freed->setObjectName(u"spacefreed"_s);
    m_freed->setAccessibleName(u"Space freed"_s);
    m_freed->setToolTip(u"The space the last replacement by links or clones freed"_s);
    auto* undoLayout = new QHBoxLayout;
    undoLayout->setContentsMargins(0, 0, 0, 0);
    undoLayout->addWidget(m_freed);
    undoLayout->addWidget(m_undoLink);
    undoLayout->addStretch(1);
    m_undoLink->hide();
    m_freed->hide();
    connect(m_undoLink, &TextLink::activated, this, &StatusPanel::undoLinkActivated);

    auto* left = new QVBoxLayout;
    left->setContentsMargins(0, 0, 0, 0);
    left->setSpacing(6);
    left->addLayout(grid);
    left->addWidget(m_previewNotice);
    left->addLayout(undoLayout);
    left->addStretch(1);

    auto* right = new QVBoxLayout;
    right->setContentsMargins(0, 0, 0, 0);
    right->addWidget(warning);
    right->addWidget(completion);
    right->addStretch(1);

    m_layout = new QHBoxLayout(this);
    m_layout->setContentsMargins(6, 8, 6, 2);
    m_layout->setSpacing(24);
    m_layout->addLayout(left);
    m_layout->addLayout(right, 1);
    m_counters = left;
}

void StatusPanel::arrangeFor(int width) {
    // A notice narrower than this wraps into a column of a few words a line.
    const int noticeRoom = fontMetrics().averageCharWidth() * 32;
    const QMargins margins = m_layout->contentsMargins();
    const int besideWidth = margins.left() + m_counters->minimumSize().width() +
                            m_layout->spacing() + noticeRoom + margins.right();
    const auto direction = width >= besideWidth ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom;
    if (m_layout->direction() != direction) {
        m_layout->setDirection(direction);
        m_layout->setSpacing(direction == QBoxLayout::LeftToRight ? 24 : 4);
    }
}

int StatusPanel::neededHeight(int width) {
    arrangeFor(width);
    m_layout->activate();
    const int wrapped = m_layout->hasHeightForWidth() ? m_layout->totalHeightForWidth(width) : 0;
    return std::max(m_layout->totalMinimumSize().height(), wrapped);
}

void StatusPanel::resizeEvent(QResizeEvent* event) {
    arrangeFor(width());
    QWidget::resizeEvent(event);
}

void StatusPanel::showUndo(bool available, qint64 freedBytes) {
    m_undoLink->setVisible(available);
    m_freed->setVisible(freedBytes >= 0);
    if (freedBytes >= 0) {
        m_freed->setText(sizeMbText(freedBytes) + u" MB freed."_s);
        m_freed->setAccessibleName(m_freed->text());
    }
}

void StatusPanel::showCounters(const StatusTexts& texts) {
    setValue(m_found, texts.labelfound1);
    setValue(m_skipped, texts.labelskipped1);
    setValue(m_unreadable, texts.labelunreadable1);
    setValue(m_dataScanned, texts.labelmbnow1);
    setValue(m_timeSpent, texts.labeltime1);
    setValue(m_compared, texts.labelfilescomp1);
}

void StatusPanel::showResults(const QString& poss, const QString& def, const QString& selected) {
    setValue(m_possible, poss);
    setValue(m_definite, def);
    setValue(m_selectedSize, selected);
}

void StatusPanel::setNoticeVisible(Notice notice, bool visible) {
    m_notices[int(notice)]->setVisible(visible);
}

bool StatusPanel::isNoticeVisible(Notice notice) const {
    return m_notices[int(notice)]->isVisibleTo(this);
}

} // namespace quillfen::ui
