#pragma once

#include <QtGlobal>
#include <array>

namespace quillfen {

// The table of the reflected CRC-32 polynomial 0xEDB88320.
std::array<quint32, 256> buildcrctable();

} // namespace quillfen
