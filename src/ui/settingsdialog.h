#pragma once

// The "Settings" dialog: after-search boxes, gentle comparing and the editor
// program; the skip-folder and skip-extension lists; the named pattern lists
// and their editor. It shows AppState::settings and changes it at once;
// "&OK" only hides it.

#include "core/appstate.h"
#include "core/messages.h"
#include "core/settingsedits.h"
#include "ui/dialogframe.h"
#include "ui/filechoosers.h"

#include <functional>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class QTreeWidget;

namespace quillfen::ui {

class SettingsDialog : public FramedDialog {
    Q_OBJECT
public:
    enum Tab { Standard = 0, FoldersToSkip = 1, ExtensionsToSkip = 2, Patterns = 3 };

    SettingsDialog(AppState& state, MessageBoxes& messages, FileChoosers& choosers,
                   QWidget* parent = nullptr);

    void setCurrentTab(int tab);
    // Shows the state's lists and boxes again (they may have changed while
    // the dialog was hidden).
    void refresh();
    bool editorOpen() const { return m_editor.open; }

public slots:
    // Leaving by Escape is "&OK", except while the pattern editor is open.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildStandardTab();
    QWidget* buildFoldersTab();
    QWidget* buildExtensionsTab();
    QWidget* buildPatternsTab();

    void afterSearchClicked(AfterSearchBox box, bool ticked);
    void browseEditor();
    void clearChecksums();
    void addFolder();
    void addExtension();
    void addPatternList();
    void editPatternList();
    void editorAdd();
    void editorUpdate();
    void editorRemove();
    void editorClear();
    void editorSave();
    void editorCancel();
    void editorPatternChosen(int row, bool focus);

    void showBoxes();
    struct CheckedListButtons {
        QPushButton* remove;
        QPushButton* clear;
        QPushButton* restore;
    };
    // Ticks, Remove, Clear and Restore default of a ticked list edit the
    // list in place and show it again.
    void connectCheckedList(QTreeWidget* view, std::vector<CheckedEntry>& list,
                            const CheckedListButtons& buttons,
                            const std::function<void()>& restoreDefaults);
    void showCheckedList(QTreeWidget* view, const std::vector<CheckedEntry>& list);
    void showPatternLists();
    // The editor's boxes into m_editor, and back after a change.
    void readEditor();
    void showEditor();
    void setEditorMode(bool open);
    static int selectedRow(QTreeWidget* view);

    AppState& m_state;
    MessageBoxes& m_messages;
    FileChoosers& m_choosers;
    PatternEditor m_editor;
    bool m_filling = false;

    QTabWidget* m_tabs = nullptr;
    QCheckBox* m_donothing = nullptr;
    QCheckBox* m_fuzzy = nullptr;
    QCheckBox* m_crc = nullptr;
    QCheckBox* m_bytewise = nullptr;
    QCheckBox* m_gentle = nullptr;
    QCheckBox* m_checksumCache = nullptr;
    QCheckBox* m_autoselect = nullptr;
    QLineEdit* m_editorProgram = nullptr;
    QTreeWidget* m_folders = nullptr;
    QTreeWidget* m_extensions = nullptr;
    QLineEdit* m_extensionBox = nullptr;
    QTreeWidget* m_patternLists = nullptr;
    QLineEdit* m_listNameBox = nullptr;
    QWidget* m_patternListButtons = nullptr;
    QGroupBox* m_editorFrame = nullptr;
    QLineEdit* m_editorName = nullptr;
    QListWidget* m_editorPatterns = nullptr;
    QLineEdit* m_newPattern = nullptr;
    QLineEdit* m_changePattern = nullptr;
    QPushButton* m_ok = nullptr;
};

} // namespace quillfen::ui
