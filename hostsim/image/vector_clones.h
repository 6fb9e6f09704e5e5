#pragma once
// Hot pixel loops are also built for AVX2 and AVX-512 on Linux, chosen at run time by the
// loader. The host compiles without floating-point contraction (-ffp-contract=off, set in its
// CMakeLists: GCC would otherwise fuse multiply-adds in the clones), so every clone gives the
// same bits, and the Windows build, which has no run-time dispatch (no ifunc), agrees with
// the Linux one.

#if defined(__linux__) && defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define VELMORA_VECTOR_CLONES __attribute__((target_clones("avx512f", "avx2", "default")))
#else
#define VELMORA_VECTOR_CLONES
#endif
