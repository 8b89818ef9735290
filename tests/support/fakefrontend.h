#pragma once

#include "core/frontend.h"
#include "scriptedmessages.h"

#include <QStringList>
#include <functional>

namespace quillfen::testing {

// A window stand-in that records what the run control asked of it.
class FakeFrontend : public Frontend {
public:
    MessageBoxes& messages() override { return boxes; }
    void showBusy(bool busy) override {
        this->busy = busy;
        events << (busy ? QStringLiteral("busy") : QStringLiteral("idle"));
    }
    void setNoticeVisible(Notice notice, bool visible) override { notices[int(notice)] = visible; }
    void resultListReset() override { ++resets; }
    void statusChanged() override { ++statusChanges; }
    void resultChecksChanged() override { ++checkChanges; }
    void showSettingsPreview() override {
        events << QStringLiteral("preview");
        if (onSettingsPreview)
            onSettingsPreview();
    }
    void showScanPaths() override { events << QStringLiteral("scanpaths"); }
    void showCompareDialog() override { events << QStringLiteral("compare"); }
    void showSelectionAssistant() override { events << QStringLiteral("assistant"); }
    void showErrorLog() override {
        events << QStringLiteral("errorlog");
        if (onErrorLog)
            onErrorLog();
    }
    void closeDialog(Dialog dialog) override {
        static const char* const names[] = {"close deletefiles", "close assistant", "close export"};
        events << QString::fromLatin1(names[int(dialog)]);
    }
    void enableComparisonTimer() override {
        events << QStringLiteral("comparisontimer");
        comparisonTimerEnabled = true;
    }

    bool noticeVisible(Notice notice) const { return notices[int(notice)]; }

    ScriptedMessageBoxes boxes;
    QStringList events;
    bool busy = false;
    bool notices[3] = {false, false, false};
    int resets = 0;
    int statusChanges = 0;
    int checkChanges = 0;
    bool comparisonTimerEnabled = false;
    std::function<void()> onSettingsPreview;
    std::function<void()> onErrorLog;
};

} // namespace quillfen::testing
