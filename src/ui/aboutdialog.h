#pragma once

// "About this program..": the program's name and version, its homepage and
// support address, a credit line and the legal notice. The box is hidden,
// not destroyed, by "&Done", so what its load step did stays.

#include "ui/dialogframe.h"

#include <QPlainTextEdit>
#include <QPushButton>

namespace quillfen::ui {

class TextLink;

// The legal notice as the program keeps it: lines ending in CR LF.
QString legalnotice();
// The credit line for a calendar year.
QString creditline(int year);
// The text without its closing line break (CR LF), if it has one.
QString chopclosinglinebreak(const QString& text);

class AboutDialog : public FramedDialog {
    Q_OBJECT
public:
    // The load step: skin edges, the owner's icon, the credit line for the
    // current year and the legal notice without its closing line break.
    AboutDialog(const QString& appversion, QWidget* owner);

    QLabel* Label7 = nullptr; // the version text
    QLabel* creditLabel = nullptr;
    QPlainTextEdit* legalText = nullptr;
    TextLink* homepageLink = nullptr;
    TextLink* mailLink = nullptr;
    QPushButton* doneButton = nullptr;
};

} // namespace quillfen::ui
