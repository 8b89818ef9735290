#include "ui/exportreportdialog.h"

#include "report/report.h"
#include "ui/controls.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace quillfen::ui {

using namespace Qt::StringLiterals;

ExportReportDialog::ExportReportDialog(AppState& state, Frontend& frontend, FileChoosers& choosers,
                                       JobRunner& runner, QWidget* parent)
    : FramedDialog(u"Export Report"_s, parent), m_state(state), m_frontend(frontend),
      m_choosers(choosers), m_runner(runner) {
    setObjectName(u"Form7"_s);
    auto* layout = new QVBoxLayout(body());
    QLabel* heading = makeLabel(body(), u"Export report"_s, u"Label1"_s);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    layout->addWidget(heading);

    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(makeLabel(body(), u"Path"_s, u"Label2"_s));
    m_path = makeTextBox(body(), u"Path"_s, u"Text1"_s, u"The file the report is written to"_s);
    pathRow->addWidget(m_path, 1);
    QPushButton* browseButton =
        makeButton(body(), u"&Browse.."_s, u"Command1"_s, u"Choose the report file"_s);
    pathRow->addWidget(browseButton);
    layout->addLayout(pathRow);

    auto* options = new QGroupBox(u"Options"_s, body());
    options->setObjectName(u"Frame1"_s);
    options->setAccessibleName(u"Options"_s);
    auto* optionsLayout = new QVBoxLayout(options);
    auto* formats = new QButtonGroup(this);
    m_text = makeOption(options, u"Text file"_s, u"Option1"_s, u"A text file, one line per file"_s);
    m_html = makeOption(options, u"HTML file"_s, u"Option2"_s, u"A web page with a table"_s);
    formats->addButton(m_text);
    formats->addButton(m_html);
    auto* formatRow = new QHBoxLayout;
    formatRow->addWidget(m_text);
    formatRow->addWidget(m_html);
    formatRow->addStretch(1);
    optionsLayout->addLayout(formatRow);
    m_onlyPath = makeCheckBox(options, u"Only save the path"_s, u"Check1"_s,
                              u"Write only the full path of each file"_s);
    m_allEntries = makeCheckBox(options, u"Export all entries, not only the checked ones"_s,
                                u"Check2"_s, u"Write every file of the list, checked or not"_s);
    optionsLayout->addWidget(m_onlyPath);
    optionsLayout->addWidget(m_allEntries);
    auto* separatorRow = new QHBoxLayout;
    m_separatorLabel = makeLabel(options, u"Separate the fields with"_s, u"Label3"_s);
    m_separator = makeDropDown(options, ExportSettings::separators(), u"Separate the fields with"_s,
                               u"Combo1"_s, u"The character between the fields of a line"_s);
    separatorRow->addWidget(m_separatorLabel);
    separatorRow->addWidget(m_separator);
    separatorRow->addStretch(1);
    optionsLayout->addLayout(separatorRow);
    layout->addWidget(options);

    auto* buttons = new QHBoxLayout;
    QPushButton* exportButton =
        makeButton(body(), u"&Export"_s, u"Command2"_s, u"Write the report"_s);
    QPushButton* cancel = makeButton(body(), u"&Cancel"_s, u"Command3"_s, u"Close this dialog"_s);
    exportButton->setDefault(true);
    buttons->addStretch(1);
    buttons->addWidget(exportButton);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    connect(browseButton, &QPushButton::clicked, this, &ExportReportDialog::browse);
    connect(exportButton, &QPushButton::clicked, this, &ExportReportDialog::exportClicked);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_text, &QRadioButton::toggled, this, &ExportReportDialog::showSeparator);

    loadSettings();
    resize(520, sizeHint().height());
}

void ExportReportDialog::loadSettings() {
    const ExportSettings& settings = m_state.exportsettings;
    m_path->setText(settings.path);
    (settings.html ? m_html : m_text)->setChecked(true);
    m_onlyPath->setChecked(settings.onlypath);
    m_allEntries->setChecked(settings.allentries);
    const int item = m_separator->findText(settings.separator);
    m_separator->setCurrentIndex(item >= 0 ? item : 0);
    showSeparator();
}

void ExportReportDialog::storeSettings() {
    ExportSettings& settings = m_state.exportsettings;
    settings.path = m_path->text();
    settings.html = m_html->isChecked();
    settings.onlypath = m_onlyPath->isChecked();
    settings.allentries = m_allEntries->isChecked();
    settings.separator = m_separator->currentText();
}

void ExportReportDialog::hideEvent(QHideEvent* event) {
    storeSettings();
    FramedDialog::hideEvent(event);
}

void ExportReportDialog::showSeparator() {
    const bool text = m_text->isChecked();
    m_separatorLabel->setVisible(text);
    m_separator->setVisible(text);
}

void ExportReportDialog::browse() {
    const QString chosen =
        m_choosers.chooseSaveFile(this, u"Export report"_s, reportfilter(m_html->isChecked()));
    if (!chosen.isEmpty())
        m_path->setText(withreportextension(chosen, m_html->isChecked()));
    m_path->setCursorPosition(int(m_path->text().size()));
}

void ExportReportDialog::exportClicked() {
    storeSettings();
    // The report is written on the worker thread; the dialog hides at once
    // so that Stop on the main window can be reached meanwhile.
    if (startexportreport(m_state, m_frontend, m_runner) == ExportOutcome::Started) {
        m_exportRunning = true;
        hide();
    }
}

} // namespace quillfen::ui
