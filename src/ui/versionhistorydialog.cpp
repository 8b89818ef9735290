#include "ui/versionhistorydialog.h"

#include "core/version.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace quillfen::ui {

using namespace Qt::StringLiterals;

std::vector<Release> releasenotes() {
    return {
        {programversion(),
         {u"Quillfen for Linux: the desktop program and quillfen-cli share one engine"_s,
          u"Scans and comparisons run beside the window, which stays responsive; Stop ends them "
          "within a fraction of a second"_s,
          u"Fuzzy, CRC-32 and bytewise comparison; duplicates shown in colour groups"_s,
          u"The selection assistant keeps one file of every group by your priorities"_s,
          u"Checked files go to the desktop's trash, are deleted or are moved; a move never "
          "overwrites a file"_s,
          u"A file that changed after the scan is left alone by delete and move"_s,
          u"File names that are not valid UTF-8 are kept byte for byte"_s,
          u"Reports as text or HTML; settings kept in settings.dat"_s,
          u"Frameless window with its own title bar, scalable pictures and a help page"_s}},
    };
}

QString versionhistorytext(const std::vector<Release>& releases) {
    QStringList lines;
    for (const Release& release : releases) {
        if (!lines.isEmpty())
            lines << QString();
        lines << u"Version "_s + release.version;
        for (const QString& change : release.changes)
            lines << u" * "_s + change;
    }
    return lines.join(u'\n');
}

VersionHistoryDialog::VersionHistoryDialog(QWidget* owner)
    : FramedDialog(u"Version history"_s, owner) {
    setObjectName(u"Form15"_s);
    if (owner)
        setWindowIcon(owner->window()->windowIcon());
    titleImage()->setPixmap(windowIcon().pixmap(QSize(16, 16), devicePixelRatioF()));

    auto* hintLabel =
        new QLabel(u"This is what have changed in the history of the program"_s, body());
    hintLabel->setObjectName(u"historyhint"_s);
    hintLabel->setAccessibleName(hintLabel->text());
    hintLabel->setToolTip(hintLabel->text());
    hintLabel->setWordWrap(true);

    m_historyText = new QPlainTextEdit(body());
    m_historyText->setObjectName(u"historytext"_s);
    m_historyText->setAccessibleName(u"Version history"_s);
    m_historyText->setToolTip(u"The changes of every version, newest first"_s);
    m_historyText->setReadOnly(true);
    m_historyText->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_historyText->setPlainText(versionhistorytext(releasenotes()));

    m_doneButton = new QPushButton(u"Done"_s, body());
    m_doneButton->setObjectName(u"donebutton"_s);
    m_doneButton->setAccessibleName(u"Done"_s);
    m_doneButton->setToolTip(u"Close this box"_s);
    m_doneButton->setDefault(true);
    connect(m_doneButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_doneButton);
    auto* layout = new QVBoxLayout(body());
    layout->setContentsMargins(18, 14, 18, 14);
    layout->setSpacing(10);
    layout->addWidget(hintLabel);
    layout->addWidget(m_historyText, 1);
    layout->addLayout(buttons);
    resize(560, 420);
}

} // namespace quillfen::ui
