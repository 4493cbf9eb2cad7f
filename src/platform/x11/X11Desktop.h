#pragma once
#include "platform/Platform.h"

namespace platform {

// The X11 backend (xcb: XFixes for the pointer, X-Resource for clipboard owners).
std::unique_ptr<Desktop> createX11Desktop();

} // namespace platform
