#pragma once

// The package's boundary. The package is built with hidden visibility, so only what this
// marks is in its export table: the entry VendaCons, the server functions, the host package
// tables, and the runtime, outside, server and start-up types and functions the stand-in host
// and its tests use. On a class it exports the members, the vtable and the type information
// (an exception caught on the other side needs that); on a namespace, every declaration in
// that block. Anything else is internal to the package: the subsystems' tests reach it by
// linking the static core instead.
#if defined(VENDACONS_BUILDING)
#define VENDACONS_EXPORT __attribute__((visibility("default")))
#else
#define VENDACONS_EXPORT
#endif
