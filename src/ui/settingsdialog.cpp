#include "ui/settingsdialog.h"

#include "compare/checksumcache.h"
#include "core/defaultlists.h"
#include "ui/controls.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace quillfen::ui {

using namespace Qt::StringLiterals;

namespace {

Qt::CheckState checkState(int value) {
    switch (value) {
    case 1:
        return Qt::Checked;
    case 2:
        return Qt::PartiallyChecked;
    default:
        return Qt::Unchecked;
    }
}

QWidget* buttonColumn(QWidget* parent, const QString& name,
                      std::initializer_list<QWidget*> buttons) {
    auto* column = new QWidget(parent);
    column->setObjectName(name);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QWidget* button : buttons) {
        button->setParent(column);
        layout->addWidget(button);
    }
    layout->addStretch(1);
    return column;
}

} // namespace

SettingsDialog::SettingsDialog(AppState& state, MessageBoxes& messages, FileChoosers& choosers,
                               QWidget* parent)
    : FramedDialog(u"Settings"_s, parent), m_state(state), m_messages(messages),
      m_choosers(choosers) {
    setObjectName(u"Form5"_s);

    m_tabs = named(new QTabWidget(body()), u"Settings"_s, u"SSTab1"_s,
                   u"The program's lasting preferences"_s);
    m_tabs->addTab(buildStandardTab(), u"  Standard  "_s);
    m_tabs->addTab(buildFoldersTab(), u"  Folders to skip  "_s);
    m_tabs->addTab(buildExtensionsTab(), u"  Extensions to skip  "_s);
    m_tabs->addTab(buildPatternsTab(), u"Predefined filepatterns"_s);

    m_ok = makeButton(body(), u"&OK"_s, u"okbutton"_s, u"Close the settings"_s);
    m_ok->setDefault(false);
    m_ok->setAutoDefault(false);
    connect(m_ok, &QPushButton::clicked, this, &SettingsDialog::accept);

    auto* layout = new QVBoxLayout(body());
    layout->addWidget(m_tabs, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(m_ok);
    layout->addLayout(bottom);

    resize(660, 520);
    refresh();
}

QWidget* SettingsDialog::buildStandardTab() {
    auto* page = named(new QWidget, u"Standard"_s, u"standardtab"_s, QString());
    auto* layout = new QVBoxLayout(page);

    layout->addWidget(makeHeading(page, u"After the search is done..."_s, u"aftersearchheading"_s));
    m_donothing = makeCheckBox(page, u"Do nothing"_s, u"Check11"_s,
                               u"Only list the files of equal size after a scan"_s);
    m_fuzzy = makeCheckBox(page, u"Fuzzy comparison"_s, u"Check22"_s,
                           u"Compare samples of the files after a scan"_s);
    m_crc = makeCheckBox(page, u"CRC comparison"_s, u"Check33"_s,
                         u"Compare the files' checksums after a scan"_s);
    m_bytewise = makeCheckBox(page, u"Bytewise comparison"_s, u"Check44"_s,
                              u"Compare the files byte for byte after a scan"_s);
    const std::pair<QCheckBox*, AfterSearchBox> boxes[] = {{m_donothing, AfterSearchBox::DoNothing},
                                                           {m_fuzzy, AfterSearchBox::Fuzzy},
                                                           {m_crc, AfterSearchBox::Crc},
                                                           {m_bytewise, AfterSearchBox::Bytewise}};
    for (const auto& [check, box] : boxes) {
        layout->addWidget(check);
        connect(check, &QCheckBox::clicked, this, [this, check, box] {
            afterSearchClicked(box, check->checkState() == Qt::Checked);
        });
    }

    m_gentle = makeCheckBox(page, u"Use CPU-gentle comparing (slower)"_s, u"Check10"_s,
                            u"Leave processor time to other programs while comparing"_s);
    connect(m_gentle, &QCheckBox::clicked, this,
            [this] { m_state.settings.gentle = m_gentle->checkState() == Qt::Checked ? 1 : 0; });
    layout->addSpacing(8);
    layout->addWidget(m_gentle);

    m_checksumCache =
        makeCheckBox(page, u"&Keep checksums of files read whole"_s, u"checksumcachebox"_s,
                     u"A later comparison takes the checksums of unchanged files from "
                     u"~/.cache/quillfen instead of reading them again"_s);
    connect(m_checksumCache, &QCheckBox::clicked, this, [this] {
        m_state.settings.checksumcache = m_checksumCache->checkState() == Qt::Checked;
    });
    auto* clearCache = makeButton(page, u"C&lear checksums"_s, u"clearchecksumsbutton"_s,
                                  u"Forget the checksums kept so far"_s);
    connect(clearCache, &QPushButton::clicked, this, &SettingsDialog::clearChecksums);
    auto* cacheRow = new QHBoxLayout;
    cacheRow->addWidget(m_checksumCache, 1);
    cacheRow->addWidget(clearCache);
    layout->addLayout(cacheRow);

    layout->addSpacing(8);
    layout->addWidget(makeHeading(page, u"Editor"_s, u"editorheading"_s));
    m_editorProgram =
        makeTextBox(page, u"Editor"_s, u"Text2"_s, u"The program that opens a file to edit"_s);
    connect(m_editorProgram, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_state.settings.editorprogram = text; });
    auto* browse = makeButton(page, u"&Browse.."_s, u"browsebutton"_s,
                              u"Choose the program that opens a file to edit"_s);
    connect(browse, &QPushButton::clicked, this, &SettingsDialog::browseEditor);
    auto* editorRow = new QHBoxLayout;
    editorRow->addWidget(m_editorProgram, 1);
    editorRow->addWidget(browse);
    layout->addLayout(editorRow);
    layout->addWidget(makeLabel(
        page,
        u"This is the program that will attempt to open a file that you select to edit. You can "
        u"edit a file by right-clicking on it and clicking on 'Edit' in the list of duplicates."_s,
        u"editorhint"_s, true));

    // Kept for the settings file; the program has no visible use for it.
    m_autoselect = makeCheckBox(page, u"Autoselect the duplicates"_s, u"Check1"_s,
                                u"Select the duplicates after a comparison"_s);
    m_autoselect->setVisible(false);
    layout->addWidget(m_autoselect);
    layout->addStretch(1);
    return page;
}

QWidget* SettingsDialog::buildFoldersTab() {
    auto* page = named(new QWidget, u"Folders to skip"_s, u"folderstab"_s, QString());
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(makeHeading(page, u"Skip these folders"_s, u"foldersheading"_s));
    layout->addWidget(makeLabel(
        page,
        u"Any path that you add to this list and select will be skipped by the program when "
        u"searching for duplicates. That includes each subdirectory of that path."_s,
        u"foldershint"_s, true));

    m_folders = makeItemList(page, {u"Folder"_s}, u"Folders to skip"_s, u"ListView4"_s,
                             u"Ticked folders and everything below them are not scanned"_s);

    auto* add = makeButton(page, u"&Add"_s, u"addfolderbutton"_s, u"Add a folder to skip"_s);
    auto* remove =
        makeButton(page, u"&Remove"_s, u"removefolderbutton"_s, u"Remove the selected folder"_s);
    auto* clear = makeButton(page, u"&Clear"_s, u"clearfoldersbutton"_s, u"Remove every folder"_s);
    auto* restore = makeButton(page, u"Restore default"_s, u"restorefoldersbutton"_s,
                               u"Put back the folders skipped by default"_s);
    connect(add, &QPushButton::clicked, this, &SettingsDialog::addFolder);
    connectCheckedList(m_folders, m_state.settings.skipfolderlist, {remove, clear, restore},
                       [this] { defaultskip(m_state); });

    auto* row = new QHBoxLayout;
    row->addWidget(m_folders, 1);
    row->addWidget(buttonColumn(page, u"folderbuttons"_s, {add, remove, clear, restore}));
    layout->addLayout(row, 1);
    return page;
}

QWidget* SettingsDialog::buildExtensionsTab() {
    auto* page = named(new QWidget, u"Extensions to skip"_s, u"extensionstab"_s, QString());
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(
        makeHeading(page, u"Skip files with these extensions"_s, u"extensionsheading"_s));
    layout->addWidget(makeLabel(page,
                                u"Any file extension that you add to this list and select will be "
                                u"skipped by the program when searching for duplicates."_s,
                                u"extensionshint"_s, true));

    auto* boxRow = new QHBoxLayout;
    auto* label = makeLabel(page, u"Extension"_s, u"extensionlabel"_s, true);
    label->setWordWrap(false);
    m_extensionBox = makeTextBox(page, u"Extension"_s, u"extensionbox"_s,
                                 u"An extension to skip, such as mp3"_s);
    label->setBuddy(m_extensionBox);
    boxRow->addWidget(label);
    boxRow->addWidget(m_extensionBox, 1);
    layout->addLayout(boxRow);

    m_extensions = makeItemList(page, {u"Extension"_s}, u"Extensions to skip"_s, u"ListView1"_s,
                                u"Files with a ticked extension are not scanned"_s);

    auto* add = makeButton(page, u"A&dd"_s, u"addextensionbutton"_s, u"Add the extension typed"_s);
    auto* remove = makeButton(page, u"Re&move"_s, u"removeextensionbutton"_s,
                              u"Remove the selected extension"_s);
    auto* clear =
        makeButton(page, u"C&lear"_s, u"clearextensionsbutton"_s, u"Remove every extension"_s);
    auto* restore = makeButton(page, u"Restore default"_s, u"restoreextensionsbutton"_s,
                               u"Put back the extensions skipped by default"_s);
    connect(add, &QPushButton::clicked, this, &SettingsDialog::addExtension);
    connect(m_extensionBox, &QLineEdit::returnPressed, this, &SettingsDialog::addExtension);
    connectCheckedList(m_extensions, m_state.settings.skipextlist, {remove, clear, restore},
                       [this] { defaultextskip(m_state); });

    auto* row = new QHBoxLayout;
    row->addWidget(m_extensions, 1);
    row->addWidget(buttonColumn(page, u"extensionbuttons"_s, {add, remove, clear, restore}));
    layout->addLayout(row, 1);
    return page;
}

QWidget* SettingsDialog::buildPatternsTab() {
    auto* page = named(new QWidget, u"Predefined filepatterns"_s, u"patternstab"_s, QString());
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(makeHeading(page, u"File patterns"_s, u"patternsheading"_s));
    layout->addWidget(makeLabel(page, u"Current patterns"_s, u"currentpatternslabel"_s, true));

    m_patternLists =
        makeItemList(page, {u"Name"_s, u"Pattern(s)"_s}, u"Current patterns"_s, u"ListView2"_s,
                     u"The named pattern lists offered in the scan paths dialog"_s);
    m_patternLists->setColumnWidth(0, 150);

    m_listNameBox = makeTextBox(page, u"Name of a new list"_s, u"listnamebox"_s,
                                u"The name of a new list of patterns"_s);
    auto* add = makeButton(page, u"A&dd"_s, u"addlistbutton"_s,
                           u"Add a list of patterns with the name typed"_s);
    auto* edit = makeButton(page, u"Edit"_s, u"editlistbutton"_s,
                            u"Edit the name and patterns of the selected list"_s);
    auto* remove =
        makeButton(page, u"Re&move"_s, u"removelistbutton"_s, u"Remove the selected list"_s);
    auto* clear = makeButton(page, u"C&lear"_s, u"clearlistsbutton"_s, u"Remove every list"_s);
    auto* restore = makeButton(page, u"Restore default"_s, u"restorelistsbutton"_s,
                               u"Replace the lists by the built-in ones"_s);
    connect(add, &QPushButton::clicked, this, &SettingsDialog::addPatternList);
    connect(m_listNameBox, &QLineEdit::returnPressed, this, &SettingsDialog::addPatternList);
    connect(edit, &QPushButton::clicked, this, &SettingsDialog::editPatternList);
    connect(m_patternLists, &QTreeWidget::itemDoubleClicked, this,
            &SettingsDialog::editPatternList);
    connect(remove, &QPushButton::clicked, this, [this] {
        if (removeListRow(m_state.settings.patternlists, selectedRow(m_patternLists)))
            showPatternLists();
    });
    connect(clear, &QPushButton::clicked, this, [this] {
        m_state.settings.patternlists.clear();
        showPatternLists();
    });
    connect(restore, &QPushButton::clicked, this, [this] {
        restoredefaultpatterns(m_state);
        showPatternLists();
    });

    m_patternListButtons = new QWidget(page);
    m_patternListButtons->setObjectName(u"patternlistcontrols"_s);
    auto* controls = new QHBoxLayout(m_patternListButtons);
    controls->setContentsMargins(0, 0, 0, 0);
    controls->addWidget(m_listNameBox, 1);
    for (QPushButton* button : {add, edit, remove, clear, restore}) {
        button->setParent(m_patternListButtons);
        controls->addWidget(button);
    }

    // The editor of one list, shown between Edit and Save or Cancel.
    m_editorFrame = named(new QGroupBox(u"Edit pattern"_s, page), u"Edit pattern"_s,
                          u"editorframe"_s, u"The name and patterns of the list being edited"_s);
    auto* grid = new QGridLayout(m_editorFrame);
    m_editorName = makeTextBox(m_editorFrame, u"Pattern name"_s, u"Text5"_s,
                               u"The name of the list being edited"_s);
    m_editorPatterns = named(new QListWidget(m_editorFrame), u"Patterns"_s, u"List1"_s,
                             u"The patterns of the list being edited"_s);
    m_newPattern =
        makeTextBox(m_editorFrame, u"Pattern"_s, u"Text6"_s, u"A pattern to add, such as *.mp3"_s);
    m_changePattern = makeTextBox(
        m_editorFrame, u"Select a pattern in the list then use this box to change it:"_s,
        u"Text7"_s, u"The selected pattern's new text; Update puts it in the list"_s);
    auto* nameLabel = makeLabel(m_editorFrame, u"Pattern name"_s, u"patternnamelabel"_s, true);
    auto* newLabel = makeLabel(m_editorFrame, u"Pattern"_s, u"patternlabel"_s, true);
    auto* changeLabel =
        makeLabel(m_editorFrame, u"Select a pattern in the list then use this box to change it: "_s,
                  u"changepatternlabel"_s, true);
    nameLabel->setBuddy(m_editorName);
    newLabel->setBuddy(m_newPattern);
    changeLabel->setBuddy(m_changePattern);

    auto* editorAdd =
        makeButton(m_editorFrame, u"A&dd"_s, u"editoraddbutton"_s, u"Add the pattern typed"_s);
    auto* editorRemove = makeButton(m_editorFrame, u"Re&move"_s, u"editorremovebutton"_s,
                                    u"Remove the selected pattern"_s);
    auto* editorClear =
        makeButton(m_editorFrame, u"C&lear"_s, u"editorclearbutton"_s, u"Remove every pattern"_s);
    auto* update = makeButton(m_editorFrame, u"&Update"_s, u"updatebutton"_s,
                              u"Replace the selected pattern by the text of the box"_s);
    auto* save =
        makeButton(m_editorFrame, u"&Save"_s, u"savebutton"_s, u"Keep the name and patterns"_s);
    auto* cancel =
        makeButton(m_editorFrame, u"&Cancel"_s, u"cancelbutton"_s, u"Leave the list unchanged"_s);
    connect(editorAdd, &QPushButton::clicked, this, &SettingsDialog::editorAdd);
    connect(m_newPattern, &QLineEdit::returnPressed, this, &SettingsDialog::editorAdd);
    connect(editorRemove, &QPushButton::clicked, this, &SettingsDialog::editorRemove);
    connect(editorClear, &QPushButton::clicked, this, &SettingsDialog::editorClear);
    connect(update, &QPushButton::clicked, this, &SettingsDialog::editorUpdate);
    connect(save, &QPushButton::clicked, this, &SettingsDialog::editorSave);
    connect(cancel, &QPushButton::clicked, this, &SettingsDialog::editorCancel);
    connect(m_editorPatterns, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        editorPatternChosen(m_editorPatterns->row(item), true);
    });
    // Moving through the list with the keys chooses as well, without taking the focus away.
    connect(m_editorPatterns, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!m_filling)
            editorPatternChosen(row, false);
    });

    grid->addWidget(nameLabel, 0, 0);
    grid->addWidget(m_editorName, 0, 1, 1, 2);
    grid->addWidget(m_editorPatterns, 1, 0, 4, 2);
    grid->addWidget(editorRemove, 1, 2);
    grid->addWidget(editorClear, 2, 2);
    grid->addWidget(newLabel, 5, 0);
    grid->addWidget(m_newPattern, 5, 1);
    grid->addWidget(editorAdd, 5, 2);
    grid->addWidget(changeLabel, 6, 0, 1, 3);
    grid->addWidget(m_changePattern, 7, 0, 1, 2);
    grid->addWidget(update, 7, 2);
    auto* saveRow = new QHBoxLayout;
    saveRow->addStretch(1);
    saveRow->addWidget(save);
    saveRow->addWidget(cancel);
    grid->addLayout(saveRow, 8, 0, 1, 3);
    m_editorFrame->setVisible(false);

    layout->addWidget(m_patternLists, 1);
    layout->addWidget(m_patternListButtons);
    layout->addWidget(m_editorFrame);
    return page;
}

void SettingsDialog::setCurrentTab(int tab) {
    // While a list is being edited only the pattern tab can be shown.
    if (tab >= 0 && tab < m_tabs->count() && m_tabs->isTabEnabled(tab))
        m_tabs->setCurrentIndex(tab);
}

void SettingsDialog::showEvent(QShowEvent* event) {
    refresh();
    FramedDialog::showEvent(event);
}

void SettingsDialog::reject() {
    if (!m_editor.open)
        accept();
}

void SettingsDialog::refresh() {
    showBoxes();
    showCheckedList(m_folders, m_state.settings.skipfolderlist);
    showCheckedList(m_extensions, m_state.settings.skipextlist);
    showPatternLists();
}

void SettingsDialog::showBoxes() {
    const SettingsDialogState& settings = m_state.settings;
    m_donothing->setCheckState(checkState(settings.donothing));
    m_fuzzy->setCheckState(checkState(settings.fuzzy));
    m_crc->setCheckState(checkState(settings.crc));
    m_bytewise->setCheckState(checkState(settings.bytewise));
    m_gentle->setCheckState(checkState(settings.gentle));
    m_checksumCache->setChecked(settings.checksumcache);
    m_autoselect->setCheckState(checkState(settings.autoselectbox));
    if (m_editorProgram->text() != settings.editorprogram)
        m_editorProgram->setText(settings.editorprogram);
}

void SettingsDialog::connectCheckedList(QTreeWidget* view, std::vector<CheckedEntry>& list,
                                        const CheckedListButtons& buttons,
                                        const std::function<void()>& restoreDefaults) {
    connect(view, &QTreeWidget::itemChanged, this, [this, view, &list](QTreeWidgetItem* item) {
        const int row = view->indexOfTopLevelItem(item);
        if (!m_filling && row >= 0 && row < int(list.size()))
            list[size_t(row)].checked = item->checkState(0) == Qt::Checked;
    });
    connect(buttons.remove, &QPushButton::clicked, this, [this, view, &list] {
        if (removeListRow(list, selectedRow(view)))
            showCheckedList(view, list);
    });
    connect(buttons.clear, &QPushButton::clicked, this, [this, view, &list] {
        list.clear();
        showCheckedList(view, list);
    });
    connect(buttons.restore, &QPushButton::clicked, this, [this, view, &list, restoreDefaults] {
        restoreDefaults();
        showCheckedList(view, list);
    });
}

void SettingsDialog::showCheckedList(QTreeWidget* view, const std::vector<CheckedEntry>& list) {
    const int current = selectedRow(view);
    m_filling = true;
    view->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(qsizetype(list.size()));
    for (const CheckedEntry& entry : list) {
        auto* item = new QTreeWidgetItem(QStringList{entry.text});
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(0, entry.checked ? Qt::Checked : Qt::Unchecked);
        item->setToolTip(0, entry.text);
        items.append(item);
    }
    view->addTopLevelItems(items);
    if (current >= 0 && current < view->topLevelItemCount())
        view->setCurrentItem(view->topLevelItem(current));
    m_filling = false;
}

void SettingsDialog::showPatternLists() {
    const int current = selectedRow(m_patternLists);
    m_patternLists->clear();
    QList<QTreeWidgetItem*> items;
    for (const PatternListEntry& entry : m_state.settings.patternlists) {
        auto* item = new QTreeWidgetItem(QStringList{entry.name, entry.patterns});
        item->setToolTip(1, entry.patterns);
        items.append(item);
    }
    m_patternLists->addTopLevelItems(items);
    if (current >= 0 && current < m_patternLists->topLevelItemCount())
        m_patternLists->setCurrentItem(m_patternLists->topLevelItem(current));
}

int SettingsDialog::selectedRow(QTreeWidget* view) {
    const QList<QTreeWidgetItem*> selected = view->selectedItems();
    if (selected.isEmpty())
        return -1;
    return view->indexOfTopLevelItem(selected.front());
}

void SettingsDialog::afterSearchClicked(AfterSearchBox box, bool ticked) {
    setAfterSearchBox(m_state.settings, box, ticked);
    showBoxes();
}

void SettingsDialog::browseEditor() {
    const QString chosen = m_choosers.chooseOpenFile(this, u"Select a file"_s, u"All files (*)"_s);
    if (!chosen.isEmpty()) {
        m_editorProgram->setText(chosen);
        m_state.settings.editorprogram = chosen;
    }
    m_editorProgram->setCursorPosition(int(m_editorProgram->text().size()));
    m_state.viewerpath = m_editorProgram->text();
}

void SettingsDialog::clearChecksums() {
    const QString path = ChecksumCache::defaultPath();
    if (ChecksumCache::clear(path))
        m_messages.inform(u"The checksums kept so far are forgotten."_s, MessageIcon::Information);
    else
        m_messages.inform(u"The checksums could not be removed: "_s + path,
                          MessageIcon::Exclamation);
}

void SettingsDialog::addFolder() {
    const QString chosen = m_choosers.chooseFolder(this, u"Select a folder to skip"_s);
    if (addskipfolder(m_state.settings, chosen)) {
        showCheckedList(m_folders, m_state.settings.skipfolderlist);
        m_folders->scrollToItem(m_folders->topLevelItem(m_folders->topLevelItemCount() - 1));
    }
}

void SettingsDialog::addExtension() {
    QString box = m_extensionBox->text();
    if (addskipextension(m_state.settings, box)) {
        m_extensionBox->setText(box);
        showCheckedList(m_extensions, m_state.settings.skipextlist);
        m_extensions->scrollToItem(
            m_extensions->topLevelItem(m_extensions->topLevelItemCount() - 1));
    }
}

void SettingsDialog::addPatternList() {
    if (addpatternlist(m_state.settings, m_listNameBox->text(), m_messages))
        showPatternLists();
}

void SettingsDialog::editPatternList() {
    if (m_editor.open || !editpatternlist(m_state.settings, m_editor, selectedRow(m_patternLists)))
        return;
    showEditor();
    setEditorMode(true);
    m_editorName->setFocus();
}

void SettingsDialog::setEditorMode(bool open) {
    m_editorFrame->setVisible(open);
    for (int tab = Standard; tab < Patterns; ++tab)
        m_tabs->setTabEnabled(tab, !open);
    m_ok->setEnabled(!open);
    // The table must stay as it is while one of its rows is being edited.
    m_patternLists->setEnabled(!open);
    m_patternListButtons->setEnabled(!open);
}

void SettingsDialog::readEditor() {
    m_editor.name = m_editorName->text();
    m_editor.newpattern = m_newPattern->text();
    m_editor.changebox = m_changePattern->text();
}

void SettingsDialog::showEditor() {
    m_filling = true;
    m_editorName->setText(m_editor.name);
    m_newPattern->setText(m_editor.newpattern);
    m_changePattern->setText(m_editor.changebox);
    if (m_editorPatterns->count() != m_editor.patterns.size() || [this] {
            for (int i = 0; i < m_editor.patterns.size(); ++i) {
                if (m_editorPatterns->item(i)->text() != m_editor.patterns[i])
                    return true;
            }
            return false;
        }()) {
        const int current = m_editorPatterns->currentRow();
        m_editorPatterns->clear();
        m_editorPatterns->addItems(m_editor.patterns);
        if (current >= 0 && current < m_editorPatterns->count())
            m_editorPatterns->setCurrentRow(current);
    }
    m_filling = false;
}

void SettingsDialog::editorPatternChosen(int row, bool focus) {
    readEditor();
    selecteditorpattern(m_state.settings, m_editor, row);
    if (m_state.settings.selectedpattern == row) {
        m_changePattern->setText(m_editor.changebox);
        if (focus)
            m_changePattern->setFocus();
    }
}

void SettingsDialog::editorAdd() {
    readEditor();
    if (addeditorpattern(m_editor, m_messages))
        showEditor();
}

void SettingsDialog::editorUpdate() {
    readEditor();
    if (updateeditorpattern(m_state.settings, m_editor, m_messages))
        showEditor();
}

void SettingsDialog::editorRemove() {
    readEditor();
    removeeditorpattern(m_state.settings, m_editor, m_editorPatterns->currentRow());
    showEditor();
}

void SettingsDialog::editorClear() {
    readEditor();
    cleareditorpatterns(m_state.settings, m_editor);
    showEditor();
}

void SettingsDialog::editorSave() {
    readEditor();
    if (!saveeditor(m_state.settings, m_editor, m_messages)) {
        m_editorName->setFocus();
        return;
    }
    showEditor();
    setEditorMode(false);
    showPatternLists();
}

void SettingsDialog::editorCancel() {
    readEditor();
    canceleditor(m_editor);
    showEditor();
    setEditorMode(false);
}

} // namespace quillfen::ui
