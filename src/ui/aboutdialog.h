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

    QLabel* versionLabel() const { return m_versionLabel; }
    QLabel* creditLabel() const { return m_creditLabel; }
    QPlainTextEdit* legalText() const { return m_legalText; }
    TextLink* homepageLink() const { return m_homepageLink; }
    TextLink* mailLink() const { return m_mailLink; }
    QPushButton* doneButton() const { return m_doneButton; }

private:
    QLabel* m_versionLabel = nullptr;
    QLabel* m_creditLabel = nullptr;
    QPlainTextEdit* m_legalText = nullptr;
    TextLink* m_homepageLink = nullptr;
    TextLink* m_mailLink = nullptr;
    QPushButton* m_doneButton = nullptr;
};

} // namespace quillfen::ui
