#include "ui/comparedialog.h"

#include "ui/controls.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace quillfen::ui {

using namespace Qt::StringLiterals;

namespace {

// Widths of the table's columns, so that the rows line up under the headings.
constexpr int columnWidths[] = {120, 100, 115, 120, 210};

struct TableRow {
    CompareOption option;
    const char16_t* name;
    const char16_t* fileSizes;
    const char16_t* speed;
    const char16_t* accuracy;
    const char16_t* algorithms;
    const char16_t* information;
};

const TableRow tableRows[] = {
    {CompareOption::FuzzyCrc, u"Option2", u"Large/Mixed", u"Highest", u"99.9999999%",
     u"Fuzzy + CRC", u"Useful for files of all sizes."},
    {CompareOption::Crc, u"Option1", u"Small files", u"Highest", u"99.9999999%", u"CRC",
     u"Fast scanning of small files."},
    {CompareOption::FuzzyBytewise, u"Option4", u"Large/Mixed", u"High", u"100%",
     u"Fuzzy + Bytewise", u"Perfect accuracy for all files."},
    {CompareOption::Bytewise, u"Option3", u"Small files", u"High", u"100%", u"Bytewise",
     u"Perfect accuracy for smaller files."},
};

struct HelpText {
    const char16_t* caption;
    const char16_t* speed;
    const char16_t* perks;
    const char16_t* accuracy;
    const char16_t* when;
};

const HelpText helpTexts[] = {
    {u"Fuzzy comparison", u"Highest",
     u"The fastest of the three algorithms, compares files of any size at the same speed.", u"50%",
     u"Should be used in combination with CRC or Bytewise comparison. Good for quickly checking "
     u"many files for potential duplicates to get rid of misleading files."},
    {u"CRC comparison", u"Very High",
     u"The most powerful comparison algorithm that still maintains a good speed.", u"99.9999999%",
     u"Recommended for most users unless you have an extremely high requirement for accuracy, in "
     u"that case use bytewise comparison."},
    {u"Bytewise comparison", u"High", u"Finds duplicate files with a 100% success ratio.", u"100%",
     u"If you really, REALLY need to be certain that the files you find are in fact duplicates or "
     u"not, then this is the best mode to use."},
};

QLabel* cell(QWidget* parent, const QString& name, const QString& text, int column) {
    QLabel* label = makeLabel(parent, text, name, true);
    label->setFixedWidth(columnWidths[column]);
    return label;
}

} // namespace

CompareDialog::CompareDialog(AppState& state, Frontend& frontend, QWidget* parent)
    : FramedDialog(u"Compare files"_s, parent), m_state(state), m_frontend(frontend) {
    setObjectName(u"Form2"_s);
    titleLabel()->setObjectName(u"Label12"_s);
    titleImage()->setObjectName(u"Image3"_s);

    auto* layout = new QVBoxLayout(body());
    layout->addWidget(makeHeading(body(), u"Comparing the files"_s, u"heading"_s));
    layout->addWidget(makeLabel(
        body(),
        u"Here you can decide which algorithm(s) to use when comparing the files. Each "
        u"combination has it's advantages as well as drawbacks. Simply select \"Let the program "
        u"decide\" if you don't know what to chose."_s,
        u"introduction"_s, true));

    auto* group = new QButtonGroup(this);
    m_programDecides =
        named(new QRadioButton(u"Let the program decide"_s, body()), u"Let the program decide"_s,
              u"Option5"_s, u"Fuzzy and CRC comparison, good for files of all sizes"_s);
    group->addButton(m_programDecides);
    connect(m_programDecides, &QRadioButton::clicked, this,
            [this] { selectOption(CompareOption::ProgramDecides); });
    layout->addWidget(m_programDecides);
    layout->addWidget(buildTable());
    for (QRadioButton* button : m_rowOptions)
        group->addButton(button);

    auto* lower = new QHBoxLayout;
    auto* boxes = new QVBoxLayout;
    const QString boxTips[] = {u"Compare samples taken from the files"_s,
                               u"Compare the files' CRC-32 checksums"_s,
                               u"Compare the files byte for byte"_s};
    for (int i = 0; i < 3; ++i) {
        m_boxes[size_t(i)] = makeCheckBox(body(), QString::fromUtf16(helpTexts[i].caption),
                                          u"Check%1"_s.arg(i + 1), boxTips[i]);
        m_boxes[size_t(i)]->setMouseTracking(true);
        m_boxes[size_t(i)]->installEventFilter(this);
        boxes->addWidget(m_boxes[size_t(i)]);
    }
    boxes->addStretch(1);
    lower->addLayout(boxes);
    lower->addWidget(buildHelpPanel(), 1);
    layout->addLayout(lower);

    auto* start = makeButton(body(), u"&Start"_s, u"Command2"_s,
                             u"Compare the files of the list with the ticked algorithms"_s);
    auto* cancel = makeButton(body(), u"&Cancel"_s, u"Command1"_s, u"Close without comparing"_s);
    start->setDefault(true);
    connect(start, &QPushButton::clicked, this, &CompareDialog::start);
    connect(cancel, &QPushButton::clicked, this, &CompareDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(start);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    selectOption(preselectedoption(m_state.settings));
}

QWidget* CompareDialog::buildTable() {
    m_table = new QWidget(body());
    m_table->setObjectName(u"combinations"_s);
    m_table->setAccessibleName(u"Combinations"_s);
    auto* layout = new QVBoxLayout(m_table);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // Behind the row of the selected option.
    m_highlight = new QFrame(m_table);
    m_highlight->setObjectName(u"Shape10"_s);
    m_highlight->setAccessibleName(u"Selected combination"_s);
    m_highlight->setAutoFillBackground(true);
    QPalette palette = m_highlight->palette();
    palette.setColor(QPalette::Window, QColor(0xD6, 0xDE, 0xF2));
    m_highlight->setPalette(palette);

    auto* headings = new QWidget(m_table);
    headings->setObjectName(u"headings"_s);
    auto* headingRow = new QHBoxLayout(headings);
    headingRow->setContentsMargins(4, 2, 4, 2);
    const QString captions[] = {u"File sizes"_s, u"Scanning speed"_s, u"Compare accuracy"_s,
                                u"Algorithm(s)"_s, u"More information"_s};
    for (int column = 0; column < 5; ++column) {
        QLabel* heading = cell(headings, u"heading%1"_s.arg(column), captions[column], column);
        QFont bold = heading->font();
        bold.setBold(true);
        heading->setFont(bold);
        headingRow->addWidget(heading);
    }
    headingRow->addStretch(1);
    layout->addWidget(headings);

    for (int row = 0; row < 4; ++row) {
        const TableRow& data = tableRows[row];
        auto* rowWidget = new QWidget(m_table);
        rowWidget->setObjectName(u"row%1"_s.arg(row + 1));
        rowWidget->installEventFilter(this);
        auto* rowLayout = new QHBoxLayout(rowWidget);
        rowLayout->setContentsMargins(4, 3, 4, 3);
        const QString algorithms = QString::fromUtf16(data.algorithms);
        auto* option = named(new QRadioButton(QString::fromUtf16(data.fileSizes), rowWidget),
                             QString::fromUtf16(data.fileSizes), QString::fromUtf16(data.name),
                             u"Compare with "_s + algorithms);
        option->setFixedWidth(columnWidths[0]);
        connect(option, &QRadioButton::clicked, this,
                [this, choice = data.option] { selectOption(choice); });
        rowLayout->addWidget(option);
        const std::pair<const char16_t*, const char16_t*> texts[] = {
            {u"speed", data.speed},
            {u"accuracy", data.accuracy},
            {u"algorithms", data.algorithms},
            {u"information", data.information}};
        for (int column = 1; column < 5; ++column) {
            const auto& [name, text] = texts[column - 1];
            rowLayout->addWidget(
                cell(rowWidget, u"table"_s + QString::fromUtf16(name) + QString::number(row + 1),
                     QString::fromUtf16(text), column));
        }
        rowLayout->addStretch(1);
        layout->addWidget(rowWidget);
        m_rows[size_t(row)] = rowWidget;
        m_rowOptions[size_t(row)] = option;
    }
    m_highlight->lower();
    return m_table;
}

QGroupBox* CompareDialog::buildHelpPanel() {
    m_help = named(new QGroupBox(u"N/A"_s, body()), u"Algorithm help"_s, u"helppanel"_s,
                   u"Move the pointer over an algorithm to read about it"_s);
    auto* grid = new QGridLayout(m_help);
    const QString captions[] = {u"Speed"_s, u"Perks"_s, u"Accuracy"_s, u"When?"_s};
    const QString names[] = {u"speed1"_s, u"perks1"_s, u"accuracy1"_s, u"when1"_s};
    QLabel** values[] = {&m_speed, &m_perks, &m_accuracy, &m_when};
    for (int row = 0; row < 4; ++row) {
        QLabel* caption = makeHeading(m_help, captions[row], names[row] + u"caption"_s);
        caption->setWordWrap(false);
        caption->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        *values[row] = makeLabel(m_help, u"N/A"_s, names[row], true, captions[row]);
        (*values[row])->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        grid->addWidget(caption, row, 0);
        grid->addWidget(*values[row], row, 1);
    }
    // The texts stay next to their captions; spare width goes to the right.
    grid->setColumnStretch(2, 1);

    // Room for the longest of the texts from the start: a panel that grew
    // with the text would squash the table and move the boxes under the
    // pointer, so that the next click hits another box.
    const int valueWidth = std::max(300, m_help->fontMetrics().averageCharWidth() * 46);
    for (int row = 0; row < 4; ++row) {
        QLabel* value = *values[row];
        value->setFixedWidth(valueWidth);
        int tallest = value->heightForWidth(valueWidth);
        for (const HelpText& help : helpTexts) {
            const char16_t* texts[] = {help.speed, help.perks, help.accuracy, help.when};
            value->setText(QString::fromUtf16(texts[row]));
            tallest = std::max(tallest, value->heightForWidth(valueWidth));
        }
        value->setText(u"N/A"_s);
        value->setMinimumHeight(tallest);
    }
    return m_help;
}

void CompareDialog::selectOption(CompareOption option) {
    m_option = option;
    QRadioButton* button = m_programDecides;
    for (const TableRow& row : tableRows) {
        if (row.option == option)
            button = m_rowOptions[size_t(&row - tableRows)];
    }
    button->setChecked(true);
    const CompareBoxes boxes = boxesforoption(option);
    m_boxes[0]->setChecked(boxes.fuzzy);
    m_boxes[1]->setChecked(boxes.crc);
    m_boxes[2]->setChecked(boxes.bytewise);
    moveHighlight();
}

void CompareDialog::moveHighlight() {
    const QWidget* row = m_rows[size_t(highlightrow(m_option))];
    m_highlight->setGeometry(0, row->y(), m_table->width(), row->height());
    m_highlight->lower();
}

bool CompareDialog::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    // The keyboard reaches the help too: a box that takes the focus shows it.
    if (type == QEvent::Enter || type == QEvent::MouseMove || type == QEvent::HoverMove ||
        type == QEvent::FocusIn) {
        for (int box = 0; box < 3; ++box) {
            if (watched == m_boxes[size_t(box)])
                showHelp(box);
        }
    }
    if ((type == QEvent::Move || type == QEvent::Resize) && watched != m_boxes[0] &&
        watched != m_boxes[1] && watched != m_boxes[2])
        moveHighlight();
    return FramedDialog::eventFilter(watched, event);
}

void CompareDialog::showEvent(QShowEvent* event) {
    FramedDialog::showEvent(event);
    moveHighlight();
}

void CompareDialog::showHelp(int box) {
    const HelpText& help = helpTexts[box];
    m_help->setTitle(QString::fromUtf16(help.caption));
    m_speed->setText(QString::fromUtf16(help.speed));
    m_perks->setText(QString::fromUtf16(help.perks));
    m_accuracy->setText(QString::fromUtf16(help.accuracy));
    m_when->setText(QString::fromUtf16(help.when));
}

void CompareDialog::start() {
    const CompareBoxes boxes{m_boxes[0]->isChecked(), m_boxes[1]->isChecked(),
                             m_boxes[2]->isChecked()};
    if (startcomparison(m_state, m_frontend, m_option, boxes))
        accept();
}

} // namespace quillfen::ui
