#include "ui/filepropertiesdialog.h"

#include "ui/controls.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillfen::ui {

using namespace Qt::StringLiterals;

FilePropertiesDialog::FilePropertiesDialog(const FileProperties& properties, QWidget* parent)
    : FramedDialog(u"File properties"_s, parent) {
    setObjectName(u"fileproperties"_s);
    auto* layout = new QVBoxLayout(body());
    auto* form = new QFormLayout;
    const QString size =
        properties.size >= 0 ? QString::number(properties.size) + u" bytes"_s : QString();
    const std::pair<QString, QString> lines[] = {
        {u"Name"_s, properties.name},         {u"Full path"_s, properties.folder + properties.name},
        {u"Type"_s, properties.type},         {u"Size"_s, size},
        {u"Modified"_s, properties.modified}, {u"Accessed"_s, properties.accessed},
        {u"Owner"_s, properties.owner},       {u"Permissions"_s, properties.permissions},
    };
    for (const auto& [caption, text] : lines) {
        QLabel* shown = makeLabel(body(), text, u"value_"_s + caption, true);
        shown->setAccessibleName(caption);
        shown->setToolTip(caption);
        shown->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(makeLabel(body(), caption, u"caption_"_s + caption), shown);
    }
    layout->addLayout(form);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    QPushButton* close = makeButton(body(), u"&Close"_s, u"Command1"_s, u"Close this box"_s);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    resize(520, sizeHint().height());
}

QString FilePropertiesDialog::value(const QString& caption) const {
    const auto* shown = findChild<QLabel*>(u"value_"_s + caption);
    return shown ? shown->text() : QString();
}

} // namespace quillfen::ui
