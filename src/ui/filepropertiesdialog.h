#pragma once

// The program's own "File properties" box, shown where the desktop's file
// manager offers no properties window: full path, type, size, modified and
// accessed times, owner and permissions.

#include "results/filecommands.h"
#include "ui/dialogframe.h"

namespace quillfen::ui {

class FilePropertiesDialog : public FramedDialog {
    Q_OBJECT
public:
    explicit FilePropertiesDialog(const FileProperties& properties, QWidget* parent = nullptr);

    // The value shown on the line of a caption ("Size", "Owner", ...).
    QString value(const QString& caption) const;
};

} // namespace quillfen::ui
