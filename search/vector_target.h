// The functions between VARSIK_TARGET_BEGIN("avx2,...") and VARSIK_TARGET_END are compiled
// for those processor features, whatever the build's baseline: they run only where a
// check at run time has found the features.
#pragma once

#define VARSIK_PRAGMA(text) _Pragma(#text)

#if defined(__clang__)
#define VARSIK_TARGET_BEGIN(features) \
  VARSIK_PRAGMA(clang attribute push(__attribute__((target(features))), apply_to = function))
#define VARSIK_TARGET_END VARSIK_PRAGMA(clang attribute pop)
#else
#define VARSIK_TARGET_BEGIN(features) \
  VARSIK_PRAGMA(GCC push_options) VARSIK_PRAGMA(GCC target(features))
#define VARSIK_TARGET_END VARSIK_PRAGMA(GCC pop_options)
#endif
