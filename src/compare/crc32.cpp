#include "compare/crc32.h"

#include "core/crc.h"

#include <QtEndian>
#include <array>
#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define QUILLFEN_CRC_CLMUL 1
#include <immintrin.h>
#endif

namespace quillfen {

namespace {

// Table k advances the register over a byte followed by k zero bytes, so
// sixteen bytes are folded with sixteen independent lookups.
struct SliceTables {
    std::array<std::array<quint32, 256>, 16> t;
    SliceTables() {
        t[0] = buildcrctable();
        for (int n = 0; n < 256; ++n) {
            quint32 c = t[0][n];
            for (int k = 1; k < 16; ++k) {
                c = (c >> 8) ^ t[0][c & 0xFF];
                t[k][n] = c;
            }
        }
    }
};

const SliceTables& sliceTables() {
    static const SliceTables tables;
    return tables;
}

quint32 load32(const unsigned char* p) {
    quint32 value;
    std::memcpy(&value, p, 4);
    return qFromLittleEndian(value);
}

#ifdef QUILLFEN_CRC_CLMUL

// One 128-bit lane folded forward over the next one.
__attribute__((target("pclmul,sse4.1"))) inline __m128i foldLane(__m128i acc, __m128i next,
                                                                 __m128i k) {
    const __m128i low = _mm_clmulepi64_si128(acc, k, 0x00);
    const __m128i high = _mm_clmulepi64_si128(acc, k, 0x11);
    return _mm_xor_si128(_mm_xor_si128(high, next), low);
}

// Folding with carry-less multiplication: four 128-bit lanes are folded 64
// bytes at a time, then into one lane, then reduced to 32 bits (Barrett).
// The constants are powers of x modulo the polynomial, bit-reflected: the
// pair for folding over D bits is x^(D+32) and x^(D-32), each shifted left
// by one. x1 to x4 hold the first 64 bytes (the register XORed into x1);
// buf and len are what follows, len a multiple of 16.
__attribute__((target("pclmul,sse4.1"))) quint32 foldLanes(__m128i x1, __m128i x2, __m128i x3,
                                                           __m128i x4, const unsigned char* buf,
                                                           std::size_t len) {
    const __m128i k1k2 = _mm_set_epi64x(0x01c6e41596LL, 0x0154442bd4LL);
    const __m128i k3k4 = _mm_set_epi64x(0x00ccaa009eLL, 0x01751997d0LL);
    const __m128i k5 = _mm_set_epi64x(0, 0x0163cd6124LL);
    const __m128i poly = _mm_set_epi64x(0x01f7011641LL, 0x01db710641LL);
    const __m128i mask32 = _mm_setr_epi32(~0, 0, ~0, 0);

    while (len >= 64) {
        x1 = foldLane(x1, _mm_loadu_si128(reinterpret_cast<const __m128i*>(buf + 0x00)), k1k2);
        x2 = foldLane(x2, _mm_loadu_si128(reinterpret_cast<const __m128i*>(buf + 0x10)), k1k2);
        x3 = foldLane(x3, _mm_loadu_si128(reinterpret_cast<const __m128i*>(buf + 0x20)), k1k2);
        x4 = foldLane(x4, _mm_loadu_si128(reinterpret_cast<const __m128i*>(buf + 0x30)), k1k2);
        buf += 64;
        len -= 64;
    }

    // Four lanes into one.
    x1 = foldLane(x1, x2, k3k4);
    x1 = foldLane(x1, x3, k3k4);
    x1 = foldLane(x1, x4, k3k4);
    while (len >= 16) {
        x1 = foldLane(x1, _mm_loadu_si128(reinterpret_cast<const __m128i*>(buf)), k3k4);
        buf += 16;
        len -= 16;
    }

    // 128 bits to 64.
    __m128i x2b = _mm_clmulepi64_si128(x1, k3k4, 0x10);
    x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), x2b);
    x2b = _mm_srli_si128(x1, 4);
    x1 = _mm_and_si128(x1, mask32);
    x1 = _mm_clmulepi64_si128(x1, k5, 0x00);
    x1 = _mm_xor_si128(x1, x2b);

    // Barrett reduction to 32 bits.
    __m128i t = _mm_and_si128(x1, mask32);
    t = _mm_clmulepi64_si128(t, poly, 0x10);
    t = _mm_and_si128(t, mask32);
    t = _mm_clmulepi64_si128(t, poly, 0x00);
    x1 = _mm_xor_si128(x1, t);
    return quint32(_mm_extract_epi32(x1, 1));
}

// Needs length >= 64 and a multiple of 16.
__attribute__((target("pclmul,sse4.1"))) quint32 crc32Clmul(quint32 crc, const unsigned char* buf,
                                                            std::size_t len) {
    const auto load = [&](int at) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(buf + at));
    };
    const __m128i x1 = _mm_xor_si128(load(0x00), _mm_cvtsi32_si128(int(crc)));
    return foldLanes(x1, load(0x10), load(0x20), load(0x30), buf + 64, len - 64);
}

__attribute__((target("avx512f"))) inline __m512i load512(const unsigned char* at) {
    return _mm512_loadu_si512(at);
}

// Four 128-bit lanes of a 512-bit register folded at once.
__attribute__((target("avx512f,vpclmulqdq,pclmul,sse4.1"))) inline __m512i
foldLanes512(__m512i acc, __m512i next, __m512i k) {
    const __m512i low = _mm512_clmulepi64_epi128(acc, k, 0x00);
    const __m512i high = _mm512_clmulepi64_epi128(acc, k, 0x11);
    return _mm512_ternarylogic_epi64(low, high, next, 0x96); // low ^ high ^ next
}

// The same folding with sixteen lanes in four 512-bit registers, 256 bytes
// a step: four times the work per instruction where the processor
// multiplies 512-bit registers. Needs length >= 256 and a multiple of 16.
__attribute__((target("avx512f,vpclmulqdq,pclmul,sse4.1"))) quint32
crc32Clmul512(quint32 crc, const unsigned char* buf, std::size_t len) {
    const __m512i over256 =
        _mm512_set_epi64(0x01322d1430LL, 0x011542778aLL, 0x01322d1430LL, 0x011542778aLL,
                         0x01322d1430LL, 0x011542778aLL, 0x01322d1430LL, 0x011542778aLL);
    const __m512i over64 =
        _mm512_set_epi64(0x01c6e41596LL, 0x0154442bd4LL, 0x01c6e41596LL, 0x0154442bd4LL,
                         0x01c6e41596LL, 0x0154442bd4LL, 0x01c6e41596LL, 0x0154442bd4LL);
    __m512i x0 =
        _mm512_xor_si512(load512(buf), _mm512_zextsi128_si512(_mm_cvtsi32_si128(int(crc))));
    __m512i x1 = load512(buf + 64);
    __m512i x2 = load512(buf + 128);
    __m512i x3 = load512(buf + 192);
    buf += 256;
    len -= 256;
    while (len >= 256) {
        x0 = foldLanes512(x0, load512(buf), over256);
        x1 = foldLanes512(x1, load512(buf + 64), over256);
        x2 = foldLanes512(x2, load512(buf + 128), over256);
        x3 = foldLanes512(x3, load512(buf + 192), over256);
        buf += 256;
        len -= 256;
    }
    // Four registers into one: the 64 bytes that the 128-bit folding holds.
    x0 = foldLanes512(x0, x1, over64);
    x0 = foldLanes512(x0, x2, over64);
    x0 = foldLanes512(x0, x3, over64);
    alignas(64) __m128i lanes[4];
    _mm512_store_si512(lanes, x0);
    return foldLanes(lanes[0], lanes[1], lanes[2], lanes[3], buf, len);
}

bool haveClmul() {
    static const bool have = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
    return have;
}

bool haveClmul512() {
    static const bool have =
        haveClmul() && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("vpclmulqdq");
    return have;
}

#endif

} // namespace

quint32 crc32UpdateTables(quint32 crc, const void* data, std::size_t length) {
    const auto& t = sliceTables().t;
    const auto* p = static_cast<const unsigned char*>(data);
    while (length >= 16) {
        const quint32 a = load32(p) ^ crc;
        const quint32 b = load32(p + 4);
        const quint32 c = load32(p + 8);
        const quint32 d = load32(p + 12);
        crc = t[15][a & 0xFF] ^ t[14][(a >> 8) & 0xFF] ^ t[13][(a >> 16) & 0xFF] ^ t[12][a >> 24] ^
              t[11][b & 0xFF] ^ t[10][(b >> 8) & 0xFF] ^ t[9][(b >> 16) & 0xFF] ^ t[8][b >> 24] ^
              t[7][c & 0xFF] ^ t[6][(c >> 8) & 0xFF] ^ t[5][(c >> 16) & 0xFF] ^ t[4][c >> 24] ^
              t[3][d & 0xFF] ^ t[2][(d >> 8) & 0xFF] ^ t[1][(d >> 16) & 0xFF] ^ t[0][d >> 24];
        p += 16;
        length -= 16;
    }
    while (length-- > 0)
        crc = (crc >> 8) ^ t[0][(crc ^ *p++) & 0xFF];
    return crc;
}

quint32 crc32Update(quint32 crc, const void* data, std::size_t length) {
#ifdef QUILLFEN_CRC_CLMUL
    if (length >= 64 && haveClmul()) {
        const std::size_t folded = length & ~std::size_t(15);
        const auto* bytes = static_cast<const unsigned char*>(data);
        crc = folded >= 256 && haveClmul512() ? crc32Clmul512(crc, bytes, folded)
                                              : crc32Clmul(crc, bytes, folded);
        return crc32UpdateTables(crc, bytes + folded, length - folded);
    }
#endif
    return crc32UpdateTables(crc, data, length);
}

const char* crc32Method() {
#ifdef QUILLFEN_CRC_CLMUL
    if (haveClmul512())
        return "carry-less multiplication, 512 bits";
    if (haveClmul())
        return "carry-less multiplication";
#endif
    return "tables, 16 bytes at a time";
}

} // namespace quillfen
