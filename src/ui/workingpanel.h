#pragma once

// The panel that covers the result list while a scan or comparison runs:
// the animated picture and the hints, the progress caption and bars, the
// folder being walked and the two files being compared. The main window
// sizes it; its layout keeps the fields and bars near its bottom edge.

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QWidget>

namespace quillfen::ui {

class WorkingAnimation;

class WorkingPanel : public QWidget {
    Q_OBJECT
public:
    explicit WorkingPanel(QWidget* parent = nullptr);

    // Progress as items done of a total; visible false hides both bars.
    void showProgress(bool visible, qint64 done, qint64 total, qint64 groupDone, qint64 groupTotal);
    void showTexts(const QString& caption, const QString& folder, const QString& file1,
                   const QString& file2);
    // Both bars drawn full, as after a run.
    void fillBars();

    // The caption band's text ("Scan progress" and the like).
    QLabel* captionLabel() const { return m_caption; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* m_caption = nullptr;
    QProgressBar* m_progress = nullptr;      // items done of the run
    QProgressBar* m_groupProgress = nullptr; // within the size being compared
    QLineEdit* m_folder = nullptr;
    QLineEdit* m_file1 = nullptr;
    QLineEdit* m_file2 = nullptr;
    WorkingAnimation* m_animation = nullptr;
    QLabel* m_working = nullptr;
    QLabel* m_hintMenu = nullptr;
    QLabel* m_hintTime = nullptr;
    QLabel* m_text1Caption = nullptr;
    QLabel* m_text2Caption = nullptr;
};

} // namespace quillfen::ui
