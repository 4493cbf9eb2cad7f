#pragma once
// Each new Wayland clipboard offer as one changed() signal while active, classified by what
// it offers (the compositor names no owner), with the data read at once on a reader thread.
// No pointer and no active window come with it.
#include "platform/ReaderWatch.h"
#include "platform/wayland/WlClipboardReader.h"

namespace platform::wayland {

using WaylandClipboardWatch = ReaderWatch<WlClipboardReader>;

} // namespace platform::wayland
