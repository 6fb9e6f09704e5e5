#pragma once
// Hot pixel loops are also built for AVX2 and AVX-512 on Linux, chosen at run time by the
// loader. ISO C++ mode compiles without floating-point contraction (-ffp-contract=off is GCC's
// default there), so every build gives the same bits, and the Windows build, which has no
// run-time dispatch (no ifunc), agrees with the Linux one.

#if defined(__linux__) && defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define VELMORA_VECTOR_CLONES __attribute__((target_clones("avx512f", "avx2", "default")))
#else
#define VELMORA_VECTOR_CLONES
#endif
