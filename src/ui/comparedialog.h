#pragma once

// The "Compare files" dialog: ready-made combinations of the comparison
// algorithms as option buttons in a small table, the three algorithm boxes
// that decide what runs, and a help panel that describes the algorithm
// whose box the pointer is over. "&Start" arms the comparison timer.

#include "compare/comparechoice.h"
#include "core/appstate.h"
#include "core/frontend.h"
#include "ui/dialogframe.h"

#include <array>

class QCheckBox;
class QFrame;
class QGroupBox;
class QRadioButton;

namespace quillfen::ui {

class CompareDialog : public FramedDialog {
    Q_OBJECT
public:
    CompareDialog(AppState& state, Frontend& frontend, QWidget* parent = nullptr);

    CompareOption option() const { return m_option; }
    // Selects an option as its click does: boxes and highlight bar follow.
    void selectOption(CompareOption option);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildTable();
    QGroupBox* buildHelpPanel();
    void showHelp(int box);
    void moveHighlight();
    void start();

    AppState& m_state;
    Frontend& m_frontend;
    CompareOption m_option = CompareOption::ProgramDecides;

    QRadioButton* m_programDecides = nullptr;
    std::array<QRadioButton*, 4> m_rowOptions{};
    std::array<QWidget*, 4> m_rows{};
    QWidget* m_table = nullptr;
    QFrame* m_highlight = nullptr;
    std::array<QCheckBox*, 3> m_boxes{};
    QGroupBox* m_help = nullptr;
    QLabel* m_speed = nullptr;
    QLabel* m_perks = nullptr;
    QLabel* m_accuracy = nullptr;
    QLabel* m_when = nullptr;
};

} // namespace quillfen::ui
