#include "ui/settingspreviewdialog.h"

#include "scan/scancontroller.h"
#include "scan/scanpaths.h"
#include "scan/settingspreview.h"
#include "ui/controls.h"
#include "ui/settingsdialog.h"
#include "ui/textlink.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace quillfen::ui {

using namespace Qt::StringLiterals;

SettingsPreviewDialog::SettingsPreviewDialog(AppState& state, MessageBoxes& messages,
                                             std::function<void()> showScanPaths,
                                             std::function<void(int)> showSettings, QWidget* parent)
    : FramedDialog(u"Settings preview"_s, parent), m_state(state), m_messages(messages),
      m_showScanPaths(std::move(showScanPaths)), m_showSettings(std::move(showSettings)) {
    setObjectName(u"settingspreview"_s);
    setMinimumWidth(680);

    // Paths and the settings of the one clicked.
    auto* pathsPanel = makePanel(u"pathspanel"_s, u"Paths that will be scanned"_s, u"Label9"_s,
                                 u"Change the paths to scan"_s);
    auto* pathsLayout = static_cast<QVBoxLayout*>(pathsPanel->layout());
    pathsLayout->addWidget(makeLabel(pathsPanel,
                                     u"Click on a path to see the detailed settings for it in the "
                                     u"list to the right."_s,
                                     u"pathshint"_s, true));
    m_paths = makeItemList(pathsPanel, {u"Path"_s}, u"Paths that will be scanned"_s, u"ListView1"_s,
                           u"Click on a path to see its settings"_s);
    m_pathSettings = makeItemList(pathsPanel, {u"Path settings"_s}, u"Path settings"_s,
                                  u"ListView4"_s, u"The settings of the path clicked"_s);
    m_pathSettings->setSelectionMode(QAbstractItemView::NoSelection);
    for (QTreeWidget* view : {m_paths, m_pathSettings})
        view->setMaximumHeight(130);
    connect(m_paths, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        showEntrySettings(m_paths->indexOfTopLevelItem(item));
    });
    auto* lists = new QHBoxLayout;
    lists->addWidget(m_paths, 1);
    lists->addWidget(m_pathSettings, 1);
    pathsLayout->addLayout(lists);

    m_extensionsPanel = makePanel(u"Frame1"_s, u"File extensions that will be skipped"_s,
                                  u"Label10"_s, u"Change the extensions to skip"_s);
    m_extensionsPanel->layout()->addWidget(
        makeLabel(m_extensionsPanel,
                  u"Files with the following extensions will be excluded from the search."_s,
                  u"extensionshint"_s, true));
    m_extensions =
        named(new QPlainTextEdit(m_extensionsPanel), u"Extensions that will be skipped"_s,
              u"Text1"_s, u"The ticked extensions to skip"_s);
    m_extensions->setReadOnly(true);
    m_extensions->setMaximumHeight(56);
    m_extensionsPanel->layout()->addWidget(m_extensions);

    m_foldersPanel = makePanel(u"Frame2"_s, u"Folders that will be skipped"_s, u"Label11"_s,
                               u"Change the folders to skip"_s);
    m_foldersPanel->layout()->addWidget(makeLabel(
        m_foldersPanel,
        u"All these directories and their subdirectories will be excluded from the search."_s,
        u"foldershint"_s, true));
    m_folders = makeItemList(m_foldersPanel, {u"Path"_s}, u"Folders that will be skipped"_s,
                             u"ListView2"_s, u"The ticked folders to skip"_s);
    m_folders->setSelectionMode(QAbstractItemView::NoSelection);
    m_folders->setMaximumHeight(110);
    m_foldersPanel->layout()->addWidget(m_folders);

    m_afterSearchPanel = makePanel(u"Frame3"_s, u"After the search is done.."_s, u"Label13"_s,
                                   u"Change what happens after the search"_s);
    m_afterSearch = makeLabel(m_afterSearchPanel, QString(), u"Label8"_s, true,
                              u"What happens after the search"_s);
    m_afterSearchPanel->layout()->addWidget(m_afterSearch);

    connect(findChild<TextLink*>(u"Label9"_s), &TextLink::activated, this, [this] {
        if (m_showScanPaths)
            m_showScanPaths();
        fill();
    });
    const std::pair<const char16_t*, int> settingsLinks[] = {
        {u"Label13", SettingsDialog::Standard},
        {u"Label11", SettingsDialog::FoldersToSkip},
        {u"Label10", SettingsDialog::ExtensionsToSkip}};
    for (const auto& [name, tab] : settingsLinks) {
        connect(findChild<TextLink*>(QString::fromUtf16(name)), &TextLink::activated, this,
                [this, tab = tab] {
                    if (m_showSettings)
                        m_showSettings(tab);
                    fill();
                });
    }

    auto* beginButton =
        makeButton(body(), u"&Begin"_s, u"Command1"_s, u"Start the scan with these settings"_s);
    auto* cancelButton =
        makeButton(body(), u"&Cancel"_s, u"Command3"_s, u"Go back without scanning"_s);
    beginButton->setDefault(true);
    connect(beginButton, &QPushButton::clicked, this, &SettingsPreviewDialog::begin);
    connect(cancelButton, &QPushButton::clicked, this, &SettingsPreviewDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(beginButton);
    buttons->addWidget(cancelButton);

    auto* layout = new QVBoxLayout(body());
    layout->addWidget(pathsPanel);
    // Hidden panels take no room: the ones below move up.
    layout->addWidget(m_extensionsPanel);
    layout->addWidget(m_foldersPanel);
    layout->addWidget(m_afterSearchPanel);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetMinimumSize);

    fill();
}

QGroupBox* SettingsPreviewDialog::makePanel(const QString& name, const QString& caption,
                                            const QString& linkName, const QString& linkTip) {
    auto* panel = named(new QGroupBox(body()), caption, name, caption);
    auto* layout = new QVBoxLayout(panel);
    auto* header = new QHBoxLayout;
    header->addWidget(makeHeading(panel, caption, name + u"caption"_s), 1);
    TextLink* link = makeLink(panel, u"Change"_s, linkName, linkTip);
    link->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    header->addWidget(link);
    layout->addLayout(header);
    return panel;
}

void SettingsPreviewDialog::fill() {
    const PreviewContents contents = previewfill(m_state);

    m_paths->clear();
    for (const QString& path : contents.paths) {
        auto* item = new QTreeWidgetItem(QStringList{path});
        item->setToolTip(0, path);
        m_paths->addTopLevelItem(item);
    }

    m_extensionsPanel->setVisible(contents.extensionsshown);
    m_extensions->setPlainText(contents.extensions);

    m_folders->clear();
    for (const QString& folder : contents.folders) {
        // A skip folder that holds a path to scan is not applied to that
        // path; say so, or the preview would promise a skip that is not made.
        const bool asideFor = contents.setaside.contains(folder);
        auto* item = new QTreeWidgetItem(QStringList{
            asideFor ? folder + u"  (not applied: a path to scan lies inside it)"_s : folder});
        item->setToolTip(0, asideFor ? u"You chose to scan inside this folder, so it is searched "
                                       u"there, with its subfolders"_s
                                     : folder);
        m_folders->addTopLevelItem(item);
    }
    m_foldersPanel->setVisible(contents.foldersshown);

    // One line for each bullet; the line ends are shown, not the final break.
    QString lines = contents.aftersearch;
    lines.replace(u"\r\n"_s, u"\n"_s);
    if (lines.endsWith(u'\n'))
        lines.chop(1);
    m_afterSearch->setText(lines);
    m_afterSearch->setAccessibleName(lines);
    layOut();
}

void SettingsPreviewDialog::layOut() {
    // Panels hidden or grown by the fill take effect now, not at the next
    // event: the inner layouts first, so the outer ones see their new sizes.
    for (QWidget* panel : {m_extensionsPanel, m_foldersPanel, m_afterSearchPanel})
        panel->layout()->activate();
    body()->layout()->activate();
    layout()->activate();
    resize(std::max(width(), minimumSizeHint().width()), sizeHint().height());
    body()->layout()->activate();
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}

void SettingsPreviewDialog::showEvent(QShowEvent* event) {
    fill();
    FramedDialog::showEvent(event);
    // Enter confirms, as the default button promises; the Change links
    // come first in the tab order and would otherwise take it.
    if (auto* begin = findChild<QPushButton*>(u"Command1"_s))
        begin->setFocus(Qt::TabFocusReason);
}

void SettingsPreviewDialog::showEntrySettings(int row) {
    const auto& table = m_state.scanpaths.pathtable;
    if (row < 0 || row >= int(table.size()))
        return;
    m_pathSettings->clear();
    for (const QString& line : showpathsettings(table[size_t(row)]))
        m_pathSettings->addTopLevelItem(new QTreeWidgetItem(QStringList{line}));
}

void SettingsPreviewDialog::begin() {
    if (previewbegin(m_state)) {
        accept();
        return;
    }
    if (m_messages.askYesNo(noPathsMessage(), MessageIcon::Exclamation, MessageAnswer::Yes) &&
        m_showScanPaths)
        m_showScanPaths();
    fill();
}

void SettingsPreviewDialog::reject() {
    m_state.scanconfirmed = false;
    FramedDialog::reject();
}

} // namespace quillfen::ui
