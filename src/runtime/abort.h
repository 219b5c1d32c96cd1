#pragma once

#include <vendacons_export.h>

// The silent abort: a refused operation shows its message and then unwinds to the event
// dispatch without another word. It is the only exception thrown on purpose; the form's
// dispatch catches it, and guards clear busy flags on the way out.
struct VENDACONS_EXPORT EAbort
{
};

[[noreturn]] inline void Abort()
{
    throw EAbort{};
}
