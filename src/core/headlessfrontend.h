#pragma once

// A front end that shows nothing, for the command-line program and the
// benchmarks: every question gets one fixed answer, or its default button.

#include "core/frontend.h"

#include <optional>

namespace quillfen {

class FixedAnswers : public MessageBoxes {
public:
    explicit FixedAnswers(std::optional<MessageAnswer> answer = std::nullopt) : m_answer(answer) {}
    MessageAnswer ask(const QString&, MessageIcon, MessageButtons,
                      MessageAnswer defaultButton) override {
        return m_answer.value_or(defaultButton);
    }

private:
    std::optional<MessageAnswer> m_answer;
};

class HeadlessFrontend : public Frontend {
public:
    explicit HeadlessFrontend(std::optional<MessageAnswer> answer = std::nullopt)
        : m_messages(answer) {}
    MessageBoxes& messages() override { return m_messages; }
    void showBusy(bool) override {}
    void setNoticeVisible(Notice, bool) override {}
    void resultListReset() override {}
    void statusChanged() override {}
    void resultChecksChanged() override {}
    void showSettingsPreview() override {}
    void showScanPaths() override {}
    void showCompareDialog() override {}
    void showSelectionAssistant() override {}
    void showErrorLog() override {}
    void closeDialog(Dialog) override {}
    void enableComparisonTimer() override {}

private:
    FixedAnswers m_messages;
};

} // namespace quillfen
