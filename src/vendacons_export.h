#pragma once

// Entry points the host resolves by name in the loaded package.
#if defined(VENDACONS_BUILDING)
#define VENDACONS_EXPORT __attribute__((visibility("default")))
#else
#define VENDACONS_EXPORT
#endif
