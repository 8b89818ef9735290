#include "ui/aboutdialog.h"

#include "ui/helppage.h"
#include "ui/pictures.h"
#include "ui/textlink.h"

#include <QDate>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace quillfen::ui {

using namespace Qt::StringLiterals;

QString legalnotice() {
    return u"Quillfen is provided \"as is\", without warranty of any kind, express or implied, "
           "including but not limited to the warranties of merchantability, fitness for a "
           "particular purpose and noninfringement.\r\n"
           "\r\n"
           "Files sent to the trash can be restored from it. Files deleted permanently cannot be "
           "brought back by this program, and files moved keep only their new place. Look at the "
           "list and the preview before you act on it, and keep a backup of what matters to you."
           "\r\n"
           "\r\n"
           "In no event shall the authors or copyright holders be liable for any claim, damages "
           "or other liability, whether in an action of contract, tort or otherwise, arising from, "
           "out of or in connection with the program or the use or other dealings in it.\r\n"_s;
}

QString creditline(int year) {
    return u"\u00A9 %1 The Quillfen developers"_s.arg(year);
}

QString chopclosinglinebreak(const QString& text) {
    return text.endsWith(u"\r\n"_s) ? text.chopped(2) : text;
}

AboutDialog::AboutDialog(const QString& appversion, QWidget* owner)
    : FramedDialog(u"About this program.."_s, owner) {
    setObjectName(u"Form11"_s);
    if (owner)
        setWindowIcon(owner->window()->windowIcon());
    titleImage()->setPixmap(windowIcon().pixmap(QSize(16, 16), devicePixelRatioF()));

    auto* icon = new QLabel(body());
    icon->setObjectName(u"Image1"_s);
    icon->setAccessibleName(u"Quillfen"_s);
    icon->setToolTip(u"Quillfen"_s);
    icon->setPixmap(windowIcon().pixmap(QSize(64, 64), devicePixelRatioF()));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto* name = new QLabel(u"Quillfen"_s, body());
    name->setObjectName(u"programname"_s);
    name->setAccessibleName(u"Quillfen"_s);
    name->setToolTip(u"The program's name"_s);
    QFont big = name->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.8);
    name->setFont(big);
    QPalette accent = name->palette();
    accent.setColor(QPalette::WindowText, colours::accent());
    name->setPalette(accent);

    auto caption = [this](const QString& text, const QString& objectName) {
        auto* label = new QLabel(text, body());
        label->setObjectName(objectName);
        label->setAccessibleName(text);
        label->setToolTip(text);
        return label;
    };
    QLabel* versionCaption = caption(u"Version"_s, u"versioncaption"_s);
    m_versionLabel = caption(appversion, u"Label7"_s);
    m_versionLabel->setAccessibleName(u"Version "_s + appversion);
    QLabel* homepageCaption = caption(u"Homepage"_s, u"homepagecaption"_s);
    m_homepageLink = new TextLink(u"Quillfen help page"_s, body());
    m_homepageLink->setObjectName(u"homepagelink"_s);
    m_homepageLink->setToolTip(helpPageUrl().toString());
    QLabel* mailCaption = caption(u"Support e-mail"_s, u"mailcaption"_s);
    m_mailLink = new TextLink(supportMailAddress(), body());
    m_mailLink->setObjectName(u"maillink"_s);
    m_mailLink->setToolTip(u"Write to "_s + supportMailAddress());
    connect(m_homepageLink, &TextLink::activated, this, [] { openAddress(helpPageUrl()); });
    connect(m_mailLink, &TextLink::activated, this, [] { openAddress(supportMailUrl()); });

    QLabel* contact =
        caption(u"Feel free to contact us if you have any questions, comments or "
                "suggestions. All emails are read and replied to within 24-48 hours."_s,
                u"contacthint"_s);
    contact->setWordWrap(true);

    m_creditLabel = caption(creditline(QDate::currentDate().year()), u"creditline"_s);

    m_legalText = new QPlainTextEdit(body());
    m_legalText->setObjectName(u"legalnotice"_s);
    m_legalText->setAccessibleName(u"Legal notice"_s);
    m_legalText->setToolTip(u"Legal notice"_s);
    m_legalText->setReadOnly(true);
    // The load step takes off the closing line break, once per load.
    m_legalText->setPlainText(chopclosinglinebreak(legalnotice()).replace(u"\r\n"_s, u"\n"_s));
    m_legalText->setMinimumHeight(120);

    m_doneButton = new QPushButton(u"&Done"_s, body());
    m_doneButton->setObjectName(u"donebutton"_s);
    m_doneButton->setAccessibleName(u"Done"_s);
    m_doneButton->setToolTip(u"Close this box"_s);
    m_doneButton->setDefault(true);
    connect(m_doneButton, &QPushButton::clicked, this, &QWidget::hide);

    auto* facts = new QGridLayout;
    facts->setHorizontalSpacing(12);
    facts->addWidget(name, 0, 0, 1, 2);
    facts->addWidget(versionCaption, 1, 0);
    facts->addWidget(m_versionLabel, 1, 1);
    facts->addWidget(homepageCaption, 2, 0);
    facts->addWidget(m_homepageLink, 2, 1);
    facts->addWidget(mailCaption, 3, 0);
    facts->addWidget(m_mailLink, 3, 1);
    facts->setColumnStretch(1, 1);

    auto* top = new QHBoxLayout;
    top->setSpacing(16);
    top->addWidget(icon);
    top->addLayout(facts, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_doneButton);

    auto* layout = new QVBoxLayout(body());
    layout->setContentsMargins(18, 14, 18, 14);
    layout->setSpacing(10);
    layout->addLayout(top);
    layout->addWidget(contact);
    layout->addWidget(m_creditLabel);
    layout->addWidget(m_legalText, 1);
    layout->addLayout(buttons);
    resize(480, 430);
}

} // namespace quillfen::ui
