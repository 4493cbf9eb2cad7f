#pragma once
// xcb replies are malloc'ed and freed by the caller.
#include <cstdlib>
#include <memory>

namespace platform::x11 {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter>;

} // namespace platform::x11
