// The one owner of a handle that CloseHandle closes (a file, a folder opened only to ask about
// it, a console): the handle is closed exactly once, by Close where the caller wants to know
// whether that worked, or else when its owner goes.
#pragma once

#include <windows.h>

#include <utility>

namespace vintrel {

class Handle {
public:
    Handle() = default;
    // Takes what an opening call returned, INVALID_HANDLE_VALUE (or null) for a failed one.
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() { Close(); }
    Handle(Handle&& other) noexcept : handle_(other.release()) {}
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) {
            Close();
            handle_ = other.release();
        }
        return *this;
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    // Whether a handle is held: the opening call worked and nothing has closed it since.
    explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE get() const { return handle_; }
    // Hands the handle over to the caller, who closes it; nothing is held afterwards.
    HANDLE release() { return std::exchange(handle_, INVALID_HANDLE_VALUE); }

    // Whether CloseHandle worked (GetLastError says why not). The handle is let go either way,
    // so a second call has nothing to close and is true.
    bool Close() {
        if (!*this) return true;
        return CloseHandle(release()) != FALSE;
    }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

} // namespace vintrel
