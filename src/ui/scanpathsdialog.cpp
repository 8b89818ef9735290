#include "ui/scanpathsdialog.h"

#include "scan/scanpaths.h"
#include "ui/controls.h"
#include "ui/twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace quillfen::ui {

using namespace Qt::StringLiterals;

namespace {

const QString showAdvancedCaption = u"Show advanced settings"_s;
const QString hideAdvancedCaption = u"Hide advanced settings"_s;

// The advanced panel makes the dialog this much taller and moves it half
// as far up, so it grows around its middle.
constexpr double advancedGrowthTwips = 1000;

} // namespace

ScanPathsDialog::ScanPathsDialog(AppState& state, MessageBoxes& messages, FileChoosers& choosers,
                                 QWidget* parent)
    : FramedDialog(u"Path(s) to scan"_s, parent), m_state(state), m_messages(messages),
      m_choosers(choosers), m_driveSource([] { return platform::driveList(); }) {
    setObjectName(u"Form3"_s);

    m_pathFrame = buildPathFrame();

    m_pathList = makeItemList(body(), {u"Path"_s}, u"Paths to scan"_s, u"ListView1"_s,
                              u"The drives and folders the next scan covers"_s);
    m_settingsView = makeItemList(body(), {u"Path settings"_s}, u"Path settings"_s, u"ListView4"_s,
                                  u"The settings of the path clicked"_s);
    m_settingsView->setSelectionMode(QAbstractItemView::NoSelection);
    connect(m_pathList, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        showEntrySettings(m_pathList->indexOfTopLevelItem(item));
    });
    // The settings follow the highlighted row (keys move it too); a row
    // that is only current, as the view makes its first one on focus, shows
    // nothing.
    connect(m_pathList, &QTreeWidget::itemSelectionChanged, this, [this] {
        const QList<QTreeWidgetItem*> selected = m_pathList->selectedItems();
        if (!m_filling && !selected.isEmpty())
            showEntrySettings(m_pathList->indexOfTopLevelItem(selected.front()));
    });

    auto* right = new QVBoxLayout;
    right->addWidget(makeLabel(body(),
                               u"These are the added drives and folders that will be scanned for "
                               u"duplicates, click on one to view the settings."_s,
                               u"pathlisthint"_s, true));
    right->addWidget(m_pathList, 3);
    right->addWidget(m_settingsView, 2);

    m_buttonPanel = new QWidget(body());
    m_buttonPanel->setObjectName(u"buttonpanel"_s);
    auto* remove = makeButton(m_buttonPanel, u"&Remove"_s, u"removebutton"_s,
                              u"Remove the selected path from the list"_s);
    auto* clear = makeButton(m_buttonPanel, u"&Clear"_s, u"clearbutton"_s, u"Remove every path"_s);
    auto* doneButton =
        makeButton(m_buttonPanel, u"&Done"_s, u"donebutton"_s, u"Close this dialog"_s);
    for (QPushButton* button : {remove, clear, doneButton})
        button->setAutoDefault(false);
    connect(remove, &QPushButton::clicked, this, &ScanPathsDialog::removePath);
    connect(clear, &QPushButton::clicked, this, &ScanPathsDialog::clearPaths);
    connect(doneButton, &QPushButton::clicked, this, &ScanPathsDialog::finishEditing);
    auto* buttons = new QHBoxLayout(m_buttonPanel);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->addStretch(1);
    buttons->addWidget(remove);
    buttons->addWidget(clear);
    buttons->addWidget(doneButton);

    auto* columns = new QHBoxLayout;
    columns->addWidget(m_pathFrame, 3);
    columns->addLayout(right, 2);
    auto* layout = new QVBoxLayout(body());
    layout->addLayout(columns, 1);
    layout->addWidget(m_buttonPanel);

    resize(880, 460);
}

QGroupBox* ScanPathsDialog::buildPathFrame() {
    auto* frame =
        named(new QGroupBox(u"Select path(s) to scan"_s, body()), u"Select path(s) to scan"_s,
              u"Frame1"_s, u"Choose what to add to the paths to scan"_s);
    auto* layout = new QVBoxLayout(frame);

    m_patternSelector = named(new QComboBox(frame), u"File patterns"_s, u"Combo1"_s,
                              u"Take the patterns from a list, or type them"_s);
    m_patternSelector->addItems(patternSelectorItems());
    m_listChooser = named(new QComboBox(frame), u"Predefined filepatterns"_s, u"Combo2"_s,
                          u"The list of patterns the added paths are scanned with"_s);
    m_specificPatterns = named(new QComboBox(frame), u"Specific filepatterns"_s, u"Text5"_s,
                               u"Patterns separated by \";\", such as *.mp3; *.wav"_s);
    m_specificPatterns->setEditable(true);
    m_specificPatterns->setInsertPolicy(QComboBox::NoInsert);
    m_specificPatterns->addItems(specificPatternSuggestions());
    m_specificPatterns->setEditText(m_state.scanpaths.specificpatterns);
    m_specificPatterns->lineEdit()->setObjectName(u"Text5edit"_s);
    m_specificPatterns->lineEdit()->setAccessibleName(u"Specific filepatterns"_s);
    m_specificPatterns->lineEdit()->setToolTip(m_specificPatterns->toolTip());
    m_specificPatterns->setVisible(false);
    connect(m_patternSelector, &QComboBox::activated, this, [this](int index) {
        m_state.scanpaths.patternselector =
            index == 0 ? PatternSource::Predefined : PatternSource::Specific;
        showPatternSelector();
    });
    connect(m_specificPatterns, &QComboBox::editTextChanged, this,
            &ScanPathsDialog::specificPatternsChanged);
    auto* patternRow = new QHBoxLayout;
    patternRow->addWidget(m_patternSelector);
    patternRow->addWidget(m_listChooser, 1);
    patternRow->addWidget(m_specificPatterns, 1);
    layout->addLayout(patternRow);

    layout->addWidget(makeLabel(frame,
                                u"These settings will be applied to any folder or drive that you "
                                u"add."_s,
                                u"settingshint"_s, true));

    m_drives = makeItemList(frame, {u"Drives"_s}, u"Drives"_s, u"ListView2"_s,
                            u"Tick the drives to add, then click Add selected drive(s)"_s);
    connect(m_drives, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item) {
        const int row = m_drives->indexOfTopLevelItem(item);
        auto& drives = m_state.scanpaths.drivelist;
        if (!m_filling && row >= 0 && row < int(drives.size()))
            drives[size_t(row)].ticked = item->checkState(0) == Qt::Checked;
    });
    layout->addWidget(m_drives, 1);

    auto* addFolderButton = makeButton(frame, u"&Add folder.."_s, u"addfolderbutton"_s,
                                       u"Choose a folder to add to the paths to scan"_s);
    auto* addDrivesButton = makeButton(frame, u"Add &selected drive(s)"_s, u"adddrivesbutton"_s,
                                       u"Add the ticked drives to the paths to scan"_s);
    m_advancedToggle = makeButton(frame, showAdvancedCaption, u"Command5"_s,
                                  u"Show or hide the size, subfolder and attribute settings"_s);
    for (QPushButton* button : {addFolderButton, addDrivesButton, m_advancedToggle})
        button->setAutoDefault(false);
    connect(addFolderButton, &QPushButton::clicked, this, &ScanPathsDialog::addFolder);
    connect(addDrivesButton, &QPushButton::clicked, this, &ScanPathsDialog::addDrives);
    connect(m_advancedToggle, &QPushButton::clicked, this, &ScanPathsDialog::toggleAdvanced);
    auto* addRow = new QHBoxLayout;
    addRow->addWidget(addFolderButton);
    addRow->addWidget(addDrivesButton);
    addRow->addStretch(1);
    addRow->addWidget(m_advancedToggle);
    layout->addLayout(addRow);

    m_advancedPanel = buildAdvancedPanel(frame);
    m_advancedPanel->setVisible(false);
    layout->addWidget(m_advancedPanel);
    return frame;
}

QWidget* ScanPathsDialog::buildAdvancedPanel(QWidget* parent) {
    auto* panel = new QWidget(parent);
    panel->setObjectName(u"advancedpanel"_s);
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(2);

    m_minSizeBox = makeCheckBox(panel, u"Ignore files smaller than"_s, u"Check1"_s,
                                u"Leave out files below this size"_s);
    m_minSizeText = makeTextBox(panel, u"Smallest size in kB"_s, u"Text2"_s,
                                u"1 to 1000000000 kB (1 kB = 1000 bytes)"_s);
    m_maxSizeBox = makeCheckBox(panel, u"Ignore files larger than"_s, u"Check2"_s,
                                u"Leave out files of this size or more"_s);
    m_maxSizeText = makeTextBox(panel, u"Largest size in kB"_s, u"Text4"_s,
                                u"1 to 1000000000 kB (1 kB = 1000 bytes)"_s);
    m_subdirsBox = makeCheckBox(panel, u"Check all subdirectories"_s, u"Check4"_s,
                                u"Scan the folders below each path too"_s);
    m_ignoreZeroBox =
        makeCheckBox(panel, u"Ignore 0 Byte files"_s, u"Check5"_s, u"Leave out empty files"_s);
    m_readOnlyBox =
        makeCheckBox(panel, u"Read-only"_s, u"Check7"_s, u"Include files that cannot be written"_s);
    m_hiddenBox = makeCheckBox(panel, u"Hidden"_s, u"Check9"_s,
                               u"Include files whose name begins with a dot"_s);
    m_systemBox = makeCheckBox(panel, u"System"_s, u"Check8"_s, u"Include system files"_s);
    m_archiveBox =
        makeCheckBox(panel, u"Archives"_s, u"Check6"_s, u"Include files marked for archiving"_s);
    for (QLineEdit* box : {m_minSizeText, m_maxSizeText})
        box->setFixedWidth(95);

    ScanPathsState& boxes = m_state.scanpaths;
    const std::pair<QCheckBox*, bool*> ticks[] = {
        {m_minSizeBox, &boxes.minsizebox},   {m_maxSizeBox, &boxes.maxsizebox},
        {m_subdirsBox, &boxes.subdirsbox},   {m_ignoreZeroBox, &boxes.ignorezerobox},
        {m_readOnlyBox, &boxes.readonlybox}, {m_hiddenBox, &boxes.hiddenbox},
        {m_systemBox, &boxes.systembox},     {m_archiveBox, &boxes.archivebox}};
    for (const auto& [check, value] : ticks) {
        connect(check, &QCheckBox::toggled, this, [this, value = value](bool on) {
            if (!m_filling)
                *value = on;
        });
    }
    connect(m_minSizeText, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_state.scanpaths.minsizetext = text; });
    connect(m_maxSizeText, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_state.scanpaths.maxsizetext = text; });

    grid->addWidget(m_minSizeBox, 0, 0);
    grid->addWidget(m_minSizeText, 0, 1);
    grid->addWidget(makeLabel(panel, u"kB"_s, u"minsizeunit"_s, true), 0, 2);
    grid->addWidget(m_subdirsBox, 0, 3);
    grid->addWidget(m_maxSizeBox, 1, 0);
    grid->addWidget(m_maxSizeText, 1, 1);
    grid->addWidget(makeLabel(panel, u"kB"_s, u"maxsizeunit"_s, true), 1, 2);
    grid->addWidget(m_ignoreZeroBox, 1, 3);
    grid->addWidget(
        makeLabel(panel, u"Include files with these attributes"_s, u"attributesheading"_s, true), 2,
        0, 1, 4);
    auto* attributes = new QHBoxLayout;
    for (QCheckBox* box : {m_readOnlyBox, m_hiddenBox, m_systemBox, m_archiveBox})
        attributes->addWidget(box);
    attributes->addStretch(1);
    grid->addLayout(attributes, 3, 0, 1, 4);
    grid->setColumnStretch(3, 1);
    return panel;
}

bool ScanPathsDialog::advancedShown() const {
    return m_advancedToggle->text() == hideAdvancedCaption;
}

void ScanPathsDialog::showEvent(QShowEvent* event) {
    becomeActive();
    FramedDialog::showEvent(event);
}

void ScanPathsDialog::becomeActive() {
    std::vector<platform::Drive> drives;
    if (m_state.scanpaths.drivelist.empty() && m_driveSource)
        drives = m_driveSource();
    scanpathsactivate(m_state, drives);

    m_filling = true;
    m_listChooser->clear();
    for (const PatternListEntry& entry : m_state.settings.patternlists)
        m_listChooser->addItem(entry.name);
    m_listChooser->setCurrentIndex(m_listChooser->count() > 0 ? 0 : -1);
    m_filling = false;
    showPatternSelector();
    showDriveList();
    // A table replaced while the dialog was hidden (the wizard's choice for
    // new users) leaves no settings of an entry that may have gone.
    QStringList listed;
    for (int row = 0; row < m_pathList->topLevelItemCount(); ++row)
        listed << m_pathList->topLevelItem(row)->text(0);
    QStringList tabled;
    for (const PathEntry& entry : m_state.scanpaths.pathtable)
        tabled << entry.text;
    if (listed != tabled) {
        m_filling = true;
        m_pathList->clear();
        m_filling = false;
        m_settingsView->clear();
    }
    showPathList();
    showBoxes();
}

void ScanPathsDialog::showPatternSelector() {
    const bool specific = m_state.scanpaths.patternselector == PatternSource::Specific;
    m_patternSelector->setCurrentIndex(specific ? 1 : 0);
    m_listChooser->setVisible(!specific);
    m_specificPatterns->setVisible(specific);
}

void ScanPathsDialog::specificPatternsChanged(const QString& text) {
    if (m_filling)
        return;
    const QString kept = withoutseparators(text);
    if (kept != text) {
        QLineEdit* edit = m_specificPatterns->lineEdit();
        const int cursor = edit->cursorPosition() - int(text.size() - kept.size());
        m_filling = true;
        edit->setText(kept);
        edit->setCursorPosition(std::max(0, cursor));
        m_filling = false;
    }
    m_state.scanpaths.specificpatterns = kept;
}

void ScanPathsDialog::showDriveList() {
    m_filling = true;
    m_drives->clear();
    for (const DriveRow& row : m_state.scanpaths.drivelist) {
        const QString text = row.drive.text.isEmpty() ? row.drive.root : row.drive.text;
        auto* item = new QTreeWidgetItem(QStringList{text});
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(0, row.ticked ? Qt::Checked : Qt::Unchecked);
        item->setToolTip(0, text);
        m_drives->addTopLevelItem(item);
    }
    m_filling = false;
}

void ScanPathsDialog::showPathList() {
    m_filling = true;
    const int current = m_pathList->currentIndex().row();
    m_pathList->clear();
    QList<QTreeWidgetItem*> items;
    for (const PathEntry& entry : m_state.scanpaths.pathtable) {
        auto* item = new QTreeWidgetItem(QStringList{entry.text});
        item->setToolTip(0, entry.text);
        items.append(item);
    }
    m_pathList->addTopLevelItems(items);
    if (current >= 0 && current < m_pathList->topLevelItemCount())
        m_pathList->setCurrentItem(m_pathList->topLevelItem(current));
    if (items.isEmpty())
        m_settingsView->clear();
    m_filling = false;
}

void ScanPathsDialog::showBoxes() {
    const ScanPathsState& boxes = m_state.scanpaths;
    m_filling = true;
    m_minSizeBox->setChecked(boxes.minsizebox);
    m_minSizeText->setText(boxes.minsizetext);
    m_maxSizeBox->setChecked(boxes.maxsizebox);
    m_maxSizeText->setText(boxes.maxsizetext);
    m_subdirsBox->setChecked(boxes.subdirsbox);
    m_ignoreZeroBox->setChecked(boxes.ignorezerobox);
    m_readOnlyBox->setChecked(boxes.readonlybox);
    m_hiddenBox->setChecked(boxes.hiddenbox);
    m_systemBox->setChecked(boxes.systembox);
    m_archiveBox->setChecked(boxes.archivebox);
    if (m_specificPatterns->currentText() != boxes.specificpatterns)
        m_specificPatterns->setEditText(boxes.specificpatterns);
    m_filling = false;
}

void ScanPathsDialog::showEntrySettings(int row) {
    const auto& table = m_state.scanpaths.pathtable;
    if (row < 0 || row >= int(table.size()))
        return;
    m_settingsView->clear();
    for (const QString& line : showpathsettings(table[size_t(row)]))
        m_settingsView->addTopLevelItem(new QTreeWidgetItem(QStringList{line}));
    // The row whose settings are shown is the highlighted one, also after
    // an add (and so the one Remove takes).
    if (QTreeWidgetItem* item = m_pathList->topLevelItem(row);
        item && (m_pathList->currentItem() != item || !item->isSelected())) {
        const bool filling = m_filling;
        m_filling = true;
        m_pathList->setCurrentItem(item);
        m_filling = filling;
    }
}

void ScanPathsDialog::addFolder() {
    const QString chosen = m_choosers.chooseFolder(this, u"Select a path to scan"_s);
    const QString patterns = newentrypatterns(m_state, m_listChooser->currentText());
    const int row = addfolderpath(m_state, chosen, patterns);
    if (row < 0)
        return;
    showBoxes(); // the limit boxes may have been corrected
    showPathList();
    showEntrySettings(row);
}

void ScanPathsDialog::addDrives() {
    const QString patterns = newentrypatterns(m_state, m_listChooser->currentText());
    const int added = adddrivepaths(m_state, patterns);
    showBoxes();
    if (added == 0) {
        m_messages.inform(noDriveTickedMessage(), MessageIcon::Exclamation);
        return;
    }
    showPathList();
    showEntrySettings(int(m_state.scanpaths.pathtable.size()) - 1);
}

void ScanPathsDialog::removePath() {
    const QList<QTreeWidgetItem*> selected = m_pathList->selectedItems();
    if (selected.isEmpty())
        return;
    if (removepath(m_state.scanpaths, m_pathList->indexOfTopLevelItem(selected.front())))
        showPathList();
}

void ScanPathsDialog::clearPaths() {
    if (m_messages.ask(clearPathsQuestion(), MessageIcon::Exclamation, MessageButtons::YesNo,
                       MessageAnswer::No) == MessageAnswer::No)
        return;
    clearpaths(m_state.scanpaths);
    showPathList();
    m_settingsView->clear();
}

void ScanPathsDialog::finishEditing() {
    if (m_state.scanpaths.pathtable.empty())
        m_messages.inform(nothingToScanReminder(), MessageIcon::Information);
    accept();
}

void ScanPathsDialog::reject() {
    finishEditing();
}

void ScanPathsDialog::toggleAdvanced() {
    const int growth = twipsToPixels(advancedGrowthTwips);
    const int shift = twipsToPixels(advancedGrowthTwips / 2);
    const bool show = !advancedShown();
    m_advancedToggle->setText(show ? hideAdvancedCaption : showAdvancedCaption);
    m_advancedToggle->setAccessibleName(m_advancedToggle->text());
    const QRect before = geometry();
    m_advancedPanel->setVisible(show);
    const int height = before.height() + (show ? growth : -growth);
    setGeometry(before.x(), before.y() + (show ? -shift : shift), before.width(), height);
}

} // namespace quillfen::ui
