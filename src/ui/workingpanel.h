#pragma once

// The panel that covers the result list while a scan or comparison runs:
// the hints, the progress caption and bars, the folder being walked and the
// two files being compared.

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QWidget>

namespace quillfen::ui {

class WorkingPanel : public QWidget {
    Q_OBJECT
public:
    explicit WorkingPanel(QWidget* parent = nullptr);

    // Progress as items done of a total; visible false hides both bars.
    void showProgress(bool visible, qint64 done, qint64 total, qint64 groupDone, qint64 groupTotal);
    void showTexts(const QString& caption, const QString& folder, const QString& file1,
                   const QString& file2);

    QLabel* Label5 = nullptr;
    QProgressBar* progressbar1 = nullptr;
    QProgressBar* progressbar2 = nullptr;
    QLineEdit* curdir1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QLineEdit* Text2 = nullptr;
};

} // namespace quillfen::ui
