#pragma once

// "Version history": the program's release notes, newest first. Each
// showing starts afresh; "Done" closes and unloads it.

#include "ui/dialogframe.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <vector>

namespace quillfen::ui {

struct Release {
    QString version;
    QStringList changes;
};

// The program's releases, newest first.
std::vector<Release> releasenotes();
// For each release "Version " and its number, then one " * " line per
// change; an empty line between releases.
QString versionhistorytext(const std::vector<Release>& releases);

class VersionHistoryDialog : public FramedDialog {
    Q_OBJECT
public:
    explicit VersionHistoryDialog(QWidget* owner);

    QPlainTextEdit* historyText() const { return m_historyText; }
    QPushButton* doneButton() const { return m_doneButton; }

private:
    QPlainTextEdit* m_historyText = nullptr;
    QPushButton* m_doneButton = nullptr;
};

} // namespace quillfen::ui
