#pragma once
// Process-wide settings that must be in place before anything else runs.

namespace platform {

// Large pictures (an 8K capture is 133 MB) come from fresh memory, and touching it a 4 KB
// page at a time costs more than the edit itself. Where the C library can back large
// blocks with huge pages, the process starts itself again with that switched on (it is read
// only at start); elsewhere, or when that fails, it runs on as it is. Call first in main().
void useLargePages(char** argv);

} // namespace platform
