#pragma once

// XXH3 as the processor runs it fastest. The library's plain functions use
// SSE2 only; on x86-64 its dispatching functions pick AVX2 or AVX-512 when
// the processor has them, which hashes data in the caches about three
// times as fast. The header maps the plain names onto them.

#include <xxhash.h>

#if defined(__x86_64__) && __has_include(<xxh_x86dispatch.h>)
#include <xxh_x86dispatch.h>
#endif
