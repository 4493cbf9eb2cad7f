#pragma once
#include "platform/Platform.h"

namespace platform::x11 {

class XConnection;

// The pointer's current image and position through XFixes; a null image when the server
// cannot tell.
PointerSnapshot readPointer(XConnection& conn);

} // namespace platform::x11
