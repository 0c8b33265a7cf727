// Win32Handle: owns one handle of the Win32 API and closes it once, with the function that
// belongs to its kind (CloseHandle for files, FindClose for searches).
#pragma once

#include <windows.h>

#include <utility>

namespace quillmere {

template <BOOL(WINAPI* CloseFunction)(HANDLE)>
class Win32Handle {
public:
    Win32Handle() = default;
    explicit Win32Handle(HANDLE handle) : m_handle(handle) {}
    Win32Handle(Win32Handle&& other) noexcept : m_handle(std::exchange(other.m_handle, INVALID_HANDLE_VALUE)) {}
    Win32Handle& operator=(Win32Handle&& other) noexcept {
        if (this != &other) {
            (void)Close();  // only a handle of a file not written, or one whose writer checked
            m_handle = std::exchange(other.m_handle, INVALID_HANDLE_VALUE);
        }
        return *this;
    }
    Win32Handle(const Win32Handle&) = delete;
    Win32Handle& operator=(const Win32Handle&) = delete;
    ~Win32Handle() { (void)Close(); }  // a writer closes its file itself, to see the error

    HANDLE Get() const { return m_handle; }
    bool IsValid() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }

    // Closes the handle and answers 0 or the error of closing it: for a written file that can be
    // the first sign of lost data. The handle is released either way.
    [[nodiscard]] DWORD Close() {
        if (!IsValid()) return 0;
        const BOOL closed = CloseFunction(std::exchange(m_handle, INVALID_HANDLE_VALUE));
        return closed ? 0 : ::GetLastError();
    }

private:
    HANDLE m_handle = INVALID_HANDLE_VALUE;
};

using FileHandle = Win32Handle<::CloseHandle>;
using FindHandle = Win32Handle<::FindClose>;

}  // namespace quillmere
