// Result list and file dialogs: Select files, Delete files, Move files,
// Errorlog, Export Report, the discard and save preview, the wizard.

#include "ui/dialoghost.h"

namespace quillfen {

void DialogHost::showSelectionAssistant() {}
void DialogHost::showDeleteFiles() {}
void DialogHost::showMoveFiles() {}
void DialogHost::showErrorLog() {}
void DialogHost::showExportReport() {}
void DialogHost::showPreview() {}
void DialogHost::showWizard() {}

} // namespace quillfen
