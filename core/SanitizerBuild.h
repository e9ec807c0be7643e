#pragma once

// LUMENPAD_ASAN is defined in a build with AddressSanitizer (GCC or Clang), whose shadow
// memory takes terabytes of address space: an address-space limit cannot apply there.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LUMENPAD_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) && !defined(LUMENPAD_ASAN)
#define LUMENPAD_ASAN 1
#endif
