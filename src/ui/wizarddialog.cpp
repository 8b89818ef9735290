#include "ui/wizarddialog.h"

#include "scan/quickstart.h"
#include "ui/controls.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace quillfen::ui {

using namespace Qt::StringLiterals;

namespace {

QWidget* makePage(QStackedWidget* pages, const QString& name) {
    auto* page = new QWidget(pages);
    page->setObjectName(name);
    page->setAccessibleName(name);
    new QVBoxLayout(page);
    pages->addWidget(page);
    return page;
}

// Two exclusive options, each with its note indented below it.
void addOptionPair(QVBoxLayout* layout, QObject* owner, std::pair<QRadioButton*, QLabel*> first,
                   std::pair<QRadioButton*, QLabel*> second) {
    auto* group = new QButtonGroup(owner);
    for (const auto& [option, note] : {first, second}) {
        group->addButton(option);
        layout->addWidget(option);
        layout->addWidget(note);
        note->setContentsMargins(24, 0, 0, 6);
    }
    layout->addStretch(1);
}

} // namespace

WizardDialog::WizardDialog(AppState& state, std::function<void()> showScanPaths, QWidget* parent)
    : FramedDialog(u"Quick Start Wizard"_s, parent), m_state(state),
      m_showScanPaths(std::move(showScanPaths)) {
    setObjectName(u"Form8"_s);
    auto* layout = new QVBoxLayout(body());
    m_pages = new QStackedWidget(body());
    m_pages->setObjectName(u"pages"_s);
    m_pages->setAccessibleName(u"Quick Start Wizard"_s);
    layout->addWidget(m_pages, 1);

    // Welcome
    QWidget* start = makePage(m_pages, u"start1"_s);
    auto* startLayout = static_cast<QVBoxLayout*>(start->layout());
    startLayout->addWidget(makeHeading(start, u"Getting a quick start..."_s, u"Label1"_s, 1.4));
    startLayout->addWidget(makeLabel(
        start,
        u"We have created this Wizard to help you getting started as quickly as possible without "
        u"any unnecessary waste of time and effort. Simply follow each step in this guide and you "
        u"will soon be looking at the list of duplicates on your machine. Good luck!"_s,
        u"Label2"_s, true));
    startLayout->addStretch(1);
    startLayout->addWidget(makeLabel(start, u"Click on Next to continue."_s, u"Label3"_s));

    // Step 1: what to scan
    QWidget* step1 = makePage(m_pages, u"step1"_s);
    auto* step1Layout = static_cast<QVBoxLayout*>(step1->layout());
    step1Layout->addWidget(makeLabel(step1, u"Step 1 of 2"_s, u"Label4"_s));
    step1Layout->addWidget(makeHeading(step1, u"What would you like to scan?"_s, u"Label5"_s, 1.2));
    step1Layout->addWidget(makeLabel(
        step1,
        u"Now it's time to chose what on your machine you would like to scan. We have two options "
        u"for you, one is for new users that doesn't know how or what to select. The other option "
        u"is for more experienced users that needs more customization."_s,
        u"Label6"_s, true));
    m_new = makeOption(step1, u"I'm new, you make the best decisions for me"_s, u"Option1"_s,
                       u"Scan every local hard drive with filters that suit most people"_s);
    m_newNote = makeLabel(step1, u"(Scan all harddrives)"_s, u"Label7"_s);
    m_expert = makeOption(step1, u"I know what im doing, let me chose what to scan"_s, u"Option2"_s,
                          u"Choose the folders to scan yourself"_s);
    m_expertNote = makeLabel(step1, u"(Scan selected paths)"_s, u"Label8"_s);
    addOptionPair(step1Layout, this, {m_new, m_newNote}, {m_expert, m_expertNote});

    // Step 2: accuracy
    QWidget* step2 = makePage(m_pages, u"step2"_s);
    auto* step2Layout = static_cast<QVBoxLayout*>(step2->layout());
    step2Layout->addWidget(makeLabel(step2, u"Step 2 of 2"_s, u"Label9"_s));
    step2Layout->addWidget(
        makeHeading(step2, u"Chose the accuracy of the comparison"_s, u"Label10"_s, 1.2));
    step2Layout->addWidget(makeLabel(
        step2,
        u"All files will be automatically compared after the scan is complete to make sure that "
        u"the files are duplicates. Please chose below how accurate and fast you would like the "
        u"comparison to be."_s,
        u"Label11"_s, true));
    m_fastest = makeOption(step2, u"99.9999999% Accuracy"_s, u"Option3"_s,
                           u"Compare samples of the files, then their CRC-32 checksums"_s);
    m_fastestNote = makeLabel(step2, u"(Fastest)"_s, u"Label12"_s);
    m_exact = makeOption(step2, u"100% Accuracy"_s, u"Option4"_s,
                         u"Compare samples of the files, then every byte"_s);
    m_exactNote = makeLabel(step2, u"(A bit slower)"_s, u"Label13"_s);
    addOptionPair(step2Layout, this, {m_fastest, m_fastestNote}, {m_exact, m_exactNote});

    // Summary
    QWidget* step3 = makePage(m_pages, u"step3"_s);
    auto* step3Layout = static_cast<QVBoxLayout*>(step3->layout());
    step3Layout->addWidget(makeHeading(step3, u"You are ready to start!"_s, u"Label14"_s, 1.2));
    step3Layout->addWidget(makeLabel(
        step3,
        u"All the necessary configurations have now been made. Please review them in the box "
        u"below. Click on \"Back\" if there is something that you would like to change, otherwise "
        u"click on \"Finish\" and get ready to rumble!"_s,
        u"Label15"_s, true));
    m_summaryBox = new QPlainTextEdit(step3);
    m_summaryBox->setObjectName(u"Text1"_s);
    m_summaryBox->setAccessibleName(u"Summary"_s);
    m_summaryBox->setToolTip(u"What the scan will do"_s);
    m_summaryBox->setReadOnly(true);
    step3Layout->addWidget(m_summaryBox, 1);

    // The buttons of every page
    auto* buttons = new QHBoxLayout;
    m_noWizard = makeCheckBox(body(), u"Don't show this again"_s, u"Check1"_s,
                              u"Do not show the wizard when the program starts"_s);
    m_back = makeButton(body(), u"< Back"_s, u"back1"_s, u"The previous page"_s);
    m_next = makeButton(body(), u"Next >"_s, u"next1"_s, u"The next page"_s);
    QPushButton* close = makeButton(body(), u"Close"_s, u"Command3"_s, u"Close the wizard"_s);
    buttons->addWidget(m_noWizard);
    buttons->addStretch(1);
    buttons->addWidget(m_back);
    buttons->addWidget(m_next);
    buttons->addWidget(close);
    layout->addLayout(buttons);

    connect(m_back, &QPushButton::clicked, this, &WizardDialog::back);
    connect(m_next, &QPushButton::clicked, this, &WizardDialog::next);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    // Takes effect at once, also when the wizard is then closed.
    connect(m_noWizard, &QCheckBox::clicked, this,
            [this](bool ticked) { m_state.nowizard = ticked; });
    for (QRadioButton* option : {m_new, m_expert, m_fastest, m_exact})
        connect(option, &QRadioButton::toggled, this, &WizardDialog::emphasise);

    // The start state
    m_new->setChecked(true);
    m_fastest->setChecked(true);
    m_noWizard->setChecked(m_state.nowizard);
    m_next->setDefault(true);
    // The first stop of the keyboard is the way on, not the check box.
    m_next->setFocus();
    showPage(Welcome);
    emphasise();
    resize(600, 420);
}

WizardDialog::Page WizardDialog::page() const {
    return Page(m_pages->currentIndex());
}

void WizardDialog::showPage(Page page) {
    m_pages->setCurrentIndex(page);
    m_back->setEnabled(page != Welcome);
    const QString caption = page == Summary ? u"Finish"_s : u"Next >"_s;
    m_next->setText(caption);
    m_next->setAccessibleName(caption);
    m_next->setToolTip(page == Summary ? u"Start the scan"_s : u"The next page"_s);
}

void WizardDialog::next() {
    switch (page()) {
    case Welcome:
        showPage(Step1);
        break;
    case Step1:
        if (m_new->isChecked()) {
            quickstartpaths(m_state);
        } else {
            // The wizard goes on only once there is something to scan.
            if (m_showScanPaths) {
                do
                    m_showScanPaths();
                while (m_state.scanpaths.pathtable.empty());
            }
        }
        showPage(Step2);
        break;
    case Step2: {
        const bool fastest = m_fastest->isChecked();
        quickstartaccuracy(m_state, fastest);
        m_summary = quickstartsummary(m_state, fastest);
        m_summaryBox->setPlainText(QString(m_summary).replace(u"\r\n"_s, u"\n"_s));
        showPage(Summary);
        break;
    }
    case Summary:
        // Hidden, not unloaded: shown again it opens here.
        accept();
        break;
    }
}

void WizardDialog::back() {
    switch (page()) {
    case Step1:
        showPage(Welcome);
        break;
    case Step2:
        showPage(Step1);
        break;
    case Summary:
        showPage(Step2);
        break;
    case Welcome:
        break;
    }
}

void WizardDialog::emphasise() {
    // The chosen option and its note in bold, the other option's note grey.
    const auto mark = [](QRadioButton* option, QLabel* note) {
        const bool chosen = option->isChecked();
        QFont font = option->font();
        font.setBold(chosen);
        option->setFont(font);
        note->setFont(font);
        QPalette palette = note->palette();
        palette.setColor(QPalette::WindowText,
                         chosen ? option->palette().color(QPalette::WindowText) : QColor(Qt::gray));
        note->setPalette(palette);
    };
    mark(m_new, m_newNote);
    mark(m_expert, m_expertNote);
    mark(m_fastest, m_fastestNote);
    mark(m_exact, m_exactNote);
}

} // namespace quillfen::ui
