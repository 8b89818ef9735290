#pragma once

// The counters of a run under the result list: nine captions, each with its
// value label, and the notices that follow a run: the warning (with its
// "Compare" link), the completion notice and the preview link.

#include "core/frontend.h"
#include "core/status.h"

#include <QFrame>
#include <QLabel>
#include <QWidget>

class QBoxLayout;

namespace quillfen::ui {

class TextLink;

class StatusPanel : public QWidget {
    Q_OBJECT
public:
    explicit StatusPanel(QWidget* parent = nullptr);

    // The counters copied by update.
    void showCounters(const StatusTexts& texts);
    // The figures a run sets when it hands over its result.
    void showResults(const QString& labelposs1, const QString& labeldef1,
                     const QString& labelmbselected1);
    void setNoticeVisible(Notice notice, bool visible);
    // The "Undo last operation" link, and the space the last replacement by
    // links or clones freed (freedBytes < 0: none to tell).
    void showUndo(bool available, qint64 freedBytes);
    TextLink* undoLink() const { return m_undoLink; }
    bool isNoticeVisible(Notice notice) const;
    // The height the panel needs at width: the notices stand beside the
    // counters while there is room for them, under them otherwise, and
    // their wrapped lines are counted.
    int neededHeight(int width);

    // The "Time spent" value.
    QLabel* timeSpentLabel() const { return m_timeSpent; }
    // The sentence of the warning with the "Compare" link in its gap.
    QLabel* warningSentence() const { return m_warningSentence; }

signals:
    void compareLinkActivated();
    void previewLinkActivated();
    void undoLinkActivated();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void arrangeFor(int width);

    // The counters' values.
    QLabel* m_found = nullptr;
    QLabel* m_skipped = nullptr;
    QLabel* m_unreadable = nullptr;
    QLabel* m_dataScanned = nullptr;
    QLabel* m_timeSpent = nullptr;
    QLabel* m_compared = nullptr;
    QLabel* m_possible = nullptr;
    QLabel* m_definite = nullptr;
    QLabel* m_selectedSize = nullptr;
    QLabel* m_warningSentence = nullptr;
    // The preview panel and its link.
    QFrame* m_previewNotice = nullptr;
    TextLink* m_previewLink = nullptr;
    QWidget* m_notices[3] = {nullptr, nullptr, nullptr};
    QBoxLayout* m_layout = nullptr;
    QBoxLayout* m_counters = nullptr;
    TextLink* m_undoLink = nullptr;
    QLabel* m_freed = nullptr;
};

} // namespace quillfen::ui
