#pragma once

// CRC-32 of IEEE 802.3 (reflected polynomial 0xEDB88320), fast enough that
// the CRC comparison is limited by reading, not by computing.

#include <QtGlobal>
#include <cstddef>

namespace quillfen {

// Continues a CRC-32 over data. crc is the register as it stands:
// 0xFFFFFFFF before the first byte; the CRC is the register XOR 0xFFFFFFFF.
// Uses carry-less multiplication where the processor has it.
quint32 crc32Update(quint32 crc, const void* data, std::size_t length);

// The same with table lookups sixteen bytes at a time, on any processor.
quint32 crc32UpdateTables(quint32 crc, const void* data, std::size_t length);

// The method crc32Update uses on this processor.
const char* crc32Method();

} // namespace quillfen
