#include "ui/dialoghost.h"

#include "ui/deletefilesdialog.h"
#include "ui/movefilesdialog.h"

namespace quillfen {

DialogHost::DialogHost(DialogContext context) : m_context(std::move(context)) {}

DialogHost::~DialogHost() {
    // A dialog hidden while its work runs waits to come back through this
    // host; it must not outlive it.
    delete m_deleteFiles.data();
    delete m_moveFiles.data();
}

} // namespace quillfen
