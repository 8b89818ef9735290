// Information boxes: About this program and Version history.

#include "ui/dialoghost.h"

namespace quillfen {

void DialogHost::showAbout() {}
void DialogHost::showVersionHistory() {}

} // namespace quillfen
