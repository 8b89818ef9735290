#include "ui/workingpanel.h"

#include <QFormLayout>
#include <QVBoxLayout>

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

} // namespace

WorkingPanel::WorkingPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(u"workingpanel"_s);
    setAccessibleName(u"The program is working..."_s);

    auto* working = hint(this, u"workinglabel"_s, u"The program is working..."_s);
    QFont font = working->font();
    font.setPointSizeF(font.pointSizeF() * 1.4);
    font.setBold(true);
    working->setFont(font);

    Label5 = hint(this, u"Label5"_s, u"Scan progress"_s);
    progressbar1 = bar(this, u"progressbar1"_s, u"Scan progress"_s);
    progressbar2 = bar(this, u"progressbar2"_s, u"Files of the size being compared"_s);
    curdir1 = field(this, u"curdir1"_s, u"Folder"_s, u"The folder being scanned"_s);
    Text1 = field(this, u"Text1"_s, u"First file"_s, u"A file being compared"_s);
    Text2 = field(this, u"Text2"_s, u"Second file"_s, u"The file it is compared with"_s);

    auto* fields = new QFormLayout;
    fields->addRow(hint(this, u"curdir1label"_s, u"Folder:"_s), curdir1);
    fields->addRow(hint(this, u"Text1label"_s, u"File:"_s), Text1);
    fields->addRow(hint(this, u"Text2label"_s, u"Compared with:"_s), Text2);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(working);
    layout->addWidget(hint(this, u"hintmenu"_s,
                           u"You can right-click on the list of duplicates to get a menu with "
                           "various options. You may do this when the program is done working."_s));
    layout->addWidget(
        hint(this, u"hinttime"_s,
             u"The time it will take for the program to find and process your files depends on how "
             "many files there are. And when you compare them, larger files may take significantly "
             "longer to compare."_s));
    layout->addStretch(1);
    layout->addLayout(fields);
    layout->addWidget(Label5);
    layout->addWidget(progressbar2);
    layout->addWidget(progressbar1);
}

void WorkingPanel::showProgress(bool visible, qint64 done, qint64 total, qint64 groupDone,
                                qint64 groupTotal) {
    progressbar1->setVisible(visible);
    progressbar2->setVisible(visible && groupTotal > 0);
    progressbar1->setValue(permille(done, total));
    progressbar2->setValue(permille(groupDone, groupTotal));
}

void WorkingPanel::showTexts(const QString& caption, const QString& folder, const QString& file1,
                             const QString& file2) {
    if (Label5->text() != caption) {
        Label5->setText(caption);
        Label5->setAccessibleName(caption);
    }
    if (curdir1->text() != folder)
        curdir1->setText(folder);
    if (Text1->text() != file1)
        Text1->setText(file1);
    if (Text2->text() != file2)
        Text2->setText(file2);
}

} // namespace quillfen::ui
