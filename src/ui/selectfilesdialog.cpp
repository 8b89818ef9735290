#include "ui/selectfilesdialog.h"

#include "results/assistant.h"
#include "ui/controls.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

namespace quillfen::ui {

using namespace Qt::StringLiterals;

namespace {

const QString kShowAdvanced = u"Show advanced settings"_s;
const QString kHideAdvanced = u"Hide advanced settings"_s;

} // namespace

SelectFilesDialog::SelectFilesDialog(AppState& state, Frontend& frontend, FileChoosers& choosers,
                                     QWidget* parent)
    : FramedDialog(u"Select files"_s, parent), m_state(state), m_frontend(frontend),
      m_choosers(choosers) {
    setObjectName(u"Form6"_s);
    auto* layout = new QVBoxLayout(body());
    QLabel* heading = makeLabel(body(), u"Select files according to.."_s, u"Label1"_s);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    layout->addWidget(heading);
    layout->addWidget(makeLabel(
        body(),
        u"You can use this function to select files in the list of duplicates that matches "
        u"certain criterias that you define here. All files that matches the settings below will "
        u"be selected and the rest will be unselected."_s,
        u"Label2"_s, true));

    // Keep criteria: one option pair and one priority box per criterion.
    auto* criteria = new QGridLayout;
    QLabel* priority = makeLabel(body(), u"Priority"_s, u"Label3"_s);
    criteria->addWidget(priority, 0, 2, Qt::AlignHCenter);
    const QStringList priorities = {u"1"_s, u"2"_s, u"3"_s};
    auto addCriterion = [&](int row, QRadioButton*& first, const QString& firstCaption,
                            const QString& firstName, QRadioButton*& second,
                            const QString& secondCaption, const QString& secondName,
                            const QString& kee, const QString& what) {
        auto* group = new QButtonGroup(this);
        first = makeOption(body(), firstCaption, firstName, firstCaption);
        second = makeOption(body(), secondCaption, secondName, secondCaption);
        group->addButton(first);
        group->addButton(second);
        criteria->addWidget(first, row, 0);
        criteria->addWidget(second, row, 1);
        m_kee[row - 1] = makeDropDown(body(), priorities, u"Priority of the "_s + what, kee,
                                      u"Which criterion decides first: 1 before 2 before 3"_s);
        criteria->addWidget(m_kee[row - 1], row, 2);
    };
    addCriterion(1, m_newest, u"Keep the NEWEST files"_s, u"Option1"_s, m_oldest,
                 u"Keep the OLDEST files"_s, u"Option2"_s, u"kee1"_s, u"file date"_s);
    addCriterion(2, m_shortestName, u"Keep the files with the SHORTEST filenames"_s, u"Option3"_s,
                 m_longestName, u"Keep the files with the LONGEST filenames"_s, u"Option4"_s,
                 u"kee2"_s, u"file-name length"_s);
    addCriterion(3, m_longestFolder, u"Keep the files with the LONGEST directory"_s, u"Option5"_s,
                 m_shortestFolder, u"Keep the files with the SHORTEST directory"_s, u"Option6"_s,
                 u"kee3"_s, u"folder length"_s);
    layout->addLayout(criteria);

    m_advanced = makeButton(body(), kShowAdvanced, u"Command3"_s,
                            u"Show or hide the rules that decide which files are selected"_s);
    layout->addWidget(m_advanced, 0, Qt::AlignLeft);

    // The rules; hidden rules still apply.
    m_rules = new QWidget(body());
    m_rules->setObjectName(u"rules"_s);
    m_rules->setAccessibleName(u"Advanced settings"_s);
    auto* rules = new QGridLayout(m_rules);
    rules->setContentsMargins(0, 0, 0, 0);
    m_sizeOn = makeCheckBox(m_rules, u"Size must be"_s, u"Check1"_s,
                            u"Select only files of at least or at most this size"_s);
    m_sizeKind = makeDropDown(m_rules, {u"at least"_s, u"at most"_s}, u"Size rule"_s, u"Combo1"_s,
                              u"At least or at most"_s);
    m_sizeText = makeTextBox(m_rules, u"Size in bytes"_s, u"Text1"_s, u"The size limit in bytes"_s);
    rules->addWidget(m_sizeOn, 0, 0);
    rules->addWidget(m_sizeKind, 0, 1);
    rules->addWidget(m_sizeText, 0, 2);
    rules->addWidget(makeLabel(m_rules, u"Bytes"_s, u"Label4"_s), 0, 3);
    m_nameOn = makeCheckBox(m_rules, u"Filename"_s, u"Check2"_s,
                            u"Select only files of this name, or only files of another name"_s);
    m_nameKind = makeDropDown(m_rules, {u"must match"_s, u"can't match"_s}, u"File-name rule"_s,
                              u"Combo2"_s, u"Must match or can't match"_s);
    m_nameText = makeTextBox(m_rules, u"File name"_s, u"Text2"_s,
                             u"The whole file name, letter case ignored"_s);
    rules->addWidget(m_nameOn, 1, 0);
    rules->addWidget(m_nameKind, 1, 1);
    rules->addWidget(m_nameText, 1, 2, 1, 2);
    m_wordsOn = makeCheckBox(m_rules, u"Filename"_s, u"Check3"_s,
                             u"Select only files whose names contain, or do not contain, a word"_s);
    m_wordsKind = makeDropDown(m_rules, {u"must contain"_s, u"can't contain"_s}, u"Words rule"_s,
                               u"Combo3"_s, u"Must contain or can't contain"_s);
    m_wordsText = makeTextBox(m_rules, u"Words"_s, u"Text3"_s,
                              u"Words of the file name, letter case ignored"_s);
    rules->addWidget(m_wordsOn, 2, 0);
    rules->addWidget(m_wordsKind, 2, 1);
    rules->addWidget(m_wordsText, 2, 2, 1, 2);
    rules->addWidget(
        makeLabel(m_rules, u"Use the character / to separate different words"_s, u"Label5"_s), 3, 2,
        1, 2);

    auto* pathGroup = new QButtonGroup(this);
    m_pathMustMatch = makeOption(m_rules, u"Path must match"_s, u"Option7"_s,
                                 u"Select only files in the listed folders"_s);
    m_pathCantMatch = makeOption(m_rules, u"Path can't match"_s, u"Option8"_s,
                                 u"Select only files outside the listed folders"_s);
    pathGroup->addButton(m_pathMustMatch);
    pathGroup->addButton(m_pathCantMatch);
    m_subdirs = makeCheckBox(m_rules, u"Include subdirectories"_s, u"Check4"_s,
                             u"The folders' subfolders count as listed too"_s);
    rules->addWidget(m_pathMustMatch, 4, 0);
    rules->addWidget(m_pathCantMatch, 4, 1);
    rules->addWidget(m_subdirs, 4, 2, 1, 2);
    m_folders = new QListWidget(m_rules);
    m_folders->setObjectName(u"List1"_s);
    m_folders->setAccessibleName(u"Folders"_s);
    m_folders->setToolTip(
        u"The folders of the folder rule; the rule is off while the list is empty"_s);
    rules->addWidget(m_folders, 5, 0, 3, 3);
    m_folders->setMinimumHeight(m_folders->fontMetrics().height() * 3);
    QPushButton* browseButton =
        makeButton(m_rules, u"&Browse.."_s, u"Command4"_s, u"Add a folder to the list"_s);
    QPushButton* removeButton = makeButton(m_rules, u"&Remove"_s, u"Command5"_s,
                                           u"Remove the chosen folder from the list"_s);
    QPushButton* clearButton =
        makeButton(m_rules, u"Cl&ear"_s, u"Command6"_s, u"Empty the list of folders"_s);
    rules->addWidget(browseButton, 5, 3);
    rules->addWidget(removeButton, 6, 3);
    rules->addWidget(clearButton, 7, 3, Qt::AlignTop);
    layout->addWidget(m_rules);

    auto* buttons = new QHBoxLayout;
    QPushButton* okButton =
        makeButton(body(), u"&OK"_s, u"Command1"_s, u"Select the files by these settings"_s);
    QPushButton* cancel =
        makeButton(body(), u"&Cancel"_s, u"Command2"_s, u"Close without changing the selection"_s);
    okButton->setDefault(true);
    buttons->addStretch(1);
    buttons->addWidget(okButton);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    connect(okButton, &QPushButton::clicked, this, &SelectFilesDialog::ok);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_advanced, &QPushButton::clicked, this, &SelectFilesDialog::toggleAdvanced);
    connect(browseButton, &QPushButton::clicked, this, &SelectFilesDialog::browse);
    connect(removeButton, &QPushButton::clicked, this, &SelectFilesDialog::removeFolder);
    connect(clearButton, &QPushButton::clicked, this, &SelectFilesDialog::clearFolders);

    loadSettings();
}

void SelectFilesDialog::loadSettings() {
    const AssistantSettings& settings = m_state.assistant;
    (settings.keepnewest ? m_newest : m_oldest)->setChecked(true);
    (settings.keeplongestname ? m_longestName : m_shortestName)->setChecked(true);
    (settings.keeplongestfolder ? m_longestFolder : m_shortestFolder)->setChecked(true);
    const int kee[3] = {settings.kee1, settings.kee2, settings.kee3};
    for (int k = 0; k < 3; ++k)
        m_kee[k]->setCurrentIndex(qBound(0, kee[k] - 1, 2));
    m_sizeOn->setChecked(settings.sizeon);
    m_sizeKind->setCurrentIndex(settings.sizeatleast ? 0 : 1);
    m_sizeText->setText(settings.sizetext);
    m_nameOn->setChecked(settings.nameon);
    m_nameKind->setCurrentIndex(settings.namemustmatch ? 0 : 1);
    m_nameText->setText(settings.nametext);
    m_wordsOn->setChecked(settings.wordson);
    m_wordsKind->setCurrentIndex(settings.wordsmustcontain ? 0 : 1);
    m_wordsText->setText(settings.wordstext);
    (settings.pathmustmatch ? m_pathMustMatch : m_pathCantMatch)->setChecked(true);
    m_subdirs->setChecked(settings.includesubdirs);
    showFolders();
    showAdvanced(settings.advancedshown);
}

void SelectFilesDialog::storeSettings() {
    AssistantSettings& settings = m_state.assistant;
    settings.keepnewest = m_newest->isChecked();
    settings.keeplongestname = m_longestName->isChecked();
    settings.keeplongestfolder = m_longestFolder->isChecked();
    settings.kee1 = m_kee[0]->currentIndex() + 1;
    settings.kee2 = m_kee[1]->currentIndex() + 1;
    settings.kee3 = m_kee[2]->currentIndex() + 1;
    settings.sizeon = m_sizeOn->isChecked();
    settings.sizeatleast = m_sizeKind->currentIndex() == 0;
    settings.sizetext = m_sizeText->text();
    settings.nameon = m_nameOn->isChecked();
    settings.namemustmatch = m_nameKind->currentIndex() == 0;
    settings.nametext = m_nameText->text();
    settings.wordson = m_wordsOn->isChecked();
    settings.wordsmustcontain = m_wordsKind->currentIndex() == 0;
    settings.wordstext = m_wordsText->text();
    settings.pathmustmatch = m_pathMustMatch->isChecked();
    settings.includesubdirs = m_subdirs->isChecked();
    settings.advancedshown = !m_rules->isHidden();
    // The folder list is kept in the settings as it changes.
}

void SelectFilesDialog::hideEvent(QHideEvent* event) {
    storeSettings();
    FramedDialog::hideEvent(event);
}

void SelectFilesDialog::ok() {
    storeSettings();
    // A size text out of range is corrected in the box before the run, which
    // may hide the dialog and store the box again.
    normalisesizetext(m_state.assistant);
    m_sizeText->setText(m_state.assistant.sizetext);
    const AssistantOutcome outcome = runassistant(m_state, m_frontend);
    if (outcome == AssistantOutcome::Selected && isVisible())
        accept();
}

void SelectFilesDialog::toggleAdvanced() {
    showAdvanced(m_rules->isHidden());
}

void SelectFilesDialog::showAdvanced(bool shown) {
    m_rules->setVisible(shown);
    m_advanced->setText(shown ? kHideAdvanced : kShowAdvanced);
    m_advanced->setAccessibleName(m_advanced->text());
    m_state.assistant.advancedshown = shown;
    // The dialog grows and shrinks with the section. The inner layout is
    // settled first: the outer one caches the body's size until then, and
    // a dialog left at the tall size spreads its rows over empty space.
    if (!layout())
        return;
    body()->layout()->invalidate();
    body()->layout()->activate();
    body()->updateGeometry();
    layout()->invalidate();
    layout()->activate();
    const int height = layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(width())
                                                     : layout()->totalSizeHint().height();
    QPoint place = pos();
    int wanted = std::max(height, minimumHeight());
    // Never taller than the screen (at a large scale the rules would push
    // OK and Cancel off it); the folder list gives way.
    if (const QScreen* shown = screen()) {
        const QRect available = shown->availableGeometry();
        wanted = std::max(minimumHeight(), std::min(wanted, available.height()));
        if (place.y() + wanted > available.bottom() + 1)
            place.setY(std::max(available.top(), available.bottom() + 1 - wanted));
    }
    resize(width(), wanted);
    // The top-left corner stays where the user put the dialog.
    if (isVisible() && pos() != place)
        move(place);
}

void SelectFilesDialog::browse() {
    const QString folder = m_choosers.chooseFolder(this, u"Select a path to add"_s);
    if (folder.isEmpty())
        return;
    addassistantfolder(m_state.assistant, folder);
    showFolders();
}

void SelectFilesDialog::removeFolder() {
    const QList<QListWidgetItem*> chosen = m_folders->selectedItems();
    if (chosen.isEmpty())
        return;
    removeassistantfolder(m_state.assistant, m_folders->row(chosen.first()));
    showFolders();
}

void SelectFilesDialog::clearFolders() {
    clearassistantfolders(m_state.assistant, m_frontend.messages());
    showFolders();
}

void SelectFilesDialog::showFolders() {
    m_folders->clear();
    m_folders->addItems(m_state.assistant.folders);
}

} // namespace quillfen::ui
