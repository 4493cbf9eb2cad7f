#pragma once
// Each new CLIPBOARD offer as one changed() signal while active, classified by what it
// offers and who offers it, with the data read at once on a reader thread.
#include "platform/ReaderWatch.h"
#include "platform/x11/XSelectionReader.h"

namespace platform::x11 {

using X11ClipboardWatch = ReaderWatch<XSelectionReader>;

} // namespace platform::x11
