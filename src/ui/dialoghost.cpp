#include "ui/dialoghost.h"

namespace quillfen {

DialogHost::DialogHost(DialogContext context) : m_context(std::move(context)) {}

DialogHost::~DialogHost() = default;

} // namespace quillfen
