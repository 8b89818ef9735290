#pragma once

// "Select files", the selection assistant: the three keep criteria with
// their priorities, the rules (size, file name, words, folders) in a section
// shown on request, and "&OK", which checks the files to get rid of. Created
// once and only hidden afterwards, so its settings last until the program
// ends; they live in AppState::assistant.

#include "core/appstate.h"
#include "core/frontend.h"
#include "ui/dialogframe.h"
#include "ui/filechoosers.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace quillfen::ui {

class SelectFilesDialog : public FramedDialog {
    Q_OBJECT
public:
    SelectFilesDialog(AppState& state, Frontend& frontend, FileChoosers& choosers,
                      QWidget* parent = nullptr);

    QWidget* ruleSection() const { return m_rules; }

    // The controls' values into AppState::assistant, and back.
    void storeSettings();
    void loadSettings();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void ok();
    void toggleAdvanced();
    void showAdvanced(bool shown);
    void browse();
    void removeFolder();
    void clearFolders();
    void showFolders();

    AppState& m_state;
    Frontend& m_frontend;
    FileChoosers& m_choosers;

    QRadioButton* m_newest;
    QRadioButton* m_oldest;
    QRadioButton* m_shortestName;
    QRadioButton* m_longestName;
    QRadioButton* m_longestFolder;
    QRadioButton* m_shortestFolder;
    QComboBox* m_kee[3];

    QPushButton* m_advanced;
    QWidget* m_rules;
    QCheckBox* m_sizeOn;
    QComboBox* m_sizeKind;
    QLineEdit* m_sizeText;
    QCheckBox* m_nameOn;
    QComboBox* m_nameKind;
    QLineEdit* m_nameText;
    QCheckBox* m_wordsOn;
    QComboBox* m_wordsKind;
    QLineEdit* m_wordsText;
    QRadioButton* m_pathMustMatch;
    QRadioButton* m_pathCantMatch;
    QCheckBox* m_subdirs;
    QListWidget* m_folders;
};

} // namespace quillfen::ui
