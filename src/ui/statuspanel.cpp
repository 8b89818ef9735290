#include "ui/statuspanel.h"

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

QLabel* notice(QWidget* parent, const QString& name, const QString& text, const QString& tip) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAccessibleName(QString(text).replace(u'\n', u' '));
    label->setToolTip(tip);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    label->hide();
    return label;
}

} // namespace

StatusPanel::StatusPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(u"statuspanel"_s);
    setAccessibleName(u"Status"_s);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    struct Counter {
        QLabel** value;
        const char16_t* name;
        const char16_t* caption;
        const char16_t* tip;
        const char16_t* start;
    };
    const Counter counters[] = {
        {&labelfound1, u"labelfound1", u"Files of interest", u"Files the scan recorded", u"0"},
        {&labelposs1, u"labelposs1", u"Possible duplicates",
         u"Files that share their size with another file", u"0"},
        {&labeldef1, u"labeldef1", u"Definate duplicates",
         u"Files whose contents matched another file", u"0"},
        {&labeltime1, u"labeltime1", u"Time spent", u"Time the run has taken", u"00:00:00"},
        {&labelmbnow1, u"labelmbnow1", u"Total data scanned", u"File data read by the comparison",
         u"0 KB"},
        {&labelskipped1, u"labelskipped1", u"Files skipped",
         u"Files left out by a filter or already recorded", u"0"},
        {&labelunreadable1, u"labelunreadable1", u"Unreadable files",
         u"Folders that could not be listed and files whose size could not be read", u"0"},
        {&labelfilescomp1, u"labelfilescomp1", u"Files compared", u"Files compared so far", u"0"},
        {&labelmbselected1, u"labelmbselected1", u"Selected files (size)",
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
        auto* value = new QLabel(this);
        value->setObjectName(name);
        value->setProperty("caption", caption);
        value->setToolTip(QString::fromUtf16(counter.tip));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        setValue(value, QString::fromUtf16(counter.start));
        captionLabel->setBuddy(value);
        *counter.value = value;
        const int row = index % 3;
        const int column = (index / 3) * 2;
        grid->addWidget(captionLabel, row, column);
        grid->addWidget(value, row, column + 1);
        ++index;
    }
    grid->setColumnStretch(6, 1);

    m_notices[int(Notice::Warning)] =
        notice(this, u"warningnotice"_s,
               u"WARNING! Don't delete any files!\nYou should run Compare with CRC or Bytewise "
               "comparison to be certain that the files in the list are truly duplicate files."_s,
               u"The files in the list share their size; their contents were not compared"_s);
    m_notices[int(Notice::Completion)] = notice(
        this, u"completionnotice"_s,
        u"Accurate comparison completed!\nIt's now safe to assume that the files you see in the "
        "list above are truly duplicates."_s,
        u"The contents of the files in the list were compared"_s);
    m_notices[int(Notice::Preview)] = notice(
        this, u"previewnotice"_s, u"Preview the files that will be affected (saved or discarded)"_s,
        u"Shows which files will be kept and which discarded"_s);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(grid);
    for (QLabel* label : m_notices)
        layout->addWidget(label);
}

void StatusPanel::showCounters(const StatusTexts& texts) {
    setValue(labelfound1, texts.labelfound1);
    setValue(labelskipped1, texts.labelskipped1);
    setValue(labelunreadable1, texts.labelunreadable1);
    setValue(labelmbnow1, texts.labelmbnow1);
    setValue(labeltime1, texts.labeltime1);
    setValue(labelfilescomp1, texts.labelfilescomp1);
}

void StatusPanel::showResults(const QString& poss, const QString& def, const QString& selected) {
    setValue(labelposs1, poss);
    setValue(labeldef1, def);
    setValue(labelmbselected1, selected);
}

void StatusPanel::setNoticeVisible(Notice notice, bool visible) {
    m_notices[int(notice)]->setVisible(visible);
}

} // namespace quillfen::ui
