// The module variant: host family and generation, chosen by the build
// (QUENDREL_BRX for the BRX family, QUENDREL_GENERATION for the generation).
#pragma once

#ifndef QUENDREL_GENERATION
#error "the build names the host generation"
#endif

#ifdef QUENDREL_BRX
// Message codes the entry point dispatches: 0 to this one.
inline constexpr int kLastMessageCode = 16;
#else
inline constexpr int kLastMessageCode = 15;
#endif
