#include "winapp/WinLauncher.h"

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cwctype>
#include <string_view>

#include "platform/win32/WideText.h"

namespace quillmere::WinLauncher {

namespace {

constexpr std::string_view kStart = "start ";

bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(),
                      [](wchar_t a, wchar_t b) { return std::towlower(a) == std::towlower(b); });
}

// A host name: letters, digits, "-" and "." (and a port), nothing the handler could take for a
// path, a user or an option.
bool IsHost(std::wstring_view host) {
    if (host.empty() || host.front() == L'.' || host.front() == L'-') return false;
    return std::all_of(host.begin(), host.end(),
                       [](wchar_t c) { return std::iswalnum(c) || c == L'-' || c == L'.' || c == L':'; });
}

}  // namespace

std::optional<std::wstring> AddressOf(const std::string& commandLine) {
    if (!commandLine.starts_with(kStart)) return std::nullopt;
    const std::wstring address = WideText::Widen(commandLine.substr(kStart.size()));
    // One address and nothing after it: "start https://a & other" is no address.
    const bool plain = !address.empty() && std::none_of(address.begin(), address.end(), [](wchar_t c) {
        return std::iswspace(c) || std::iswcntrl(c) || c == L'"' || c == 0xFFFD;
    });
    if (!plain) return std::nullopt;
    for (const std::wstring_view scheme : {L"http://", L"https://"}) {
        if (!StartsWithNoCase(address, scheme)) continue;
        const std::wstring_view rest = std::wstring_view(address).substr(scheme.size());
        const std::wstring_view host = rest.substr(0, rest.find_first_of(L"/?#"));
        return IsHost(host) ? std::optional(address) : std::nullopt;
    }
    constexpr std::wstring_view kMailto = L"mailto:";
    if (StartsWithNoCase(address, kMailto)) {
        const std::wstring_view mailbox = std::wstring_view(address).substr(kMailto.size());
        const std::size_t at = mailbox.find(L'@');
        if (at == 0 || at == std::wstring_view::npos || mailbox.find_first_of(L"/\\") != std::wstring_view::npos) {
            return std::nullopt;
        }
        const std::wstring_view domain = mailbox.substr(at + 1);
        const bool valid = IsHost(domain.substr(0, domain.find(L'?')));
        return valid ? std::optional(address) : std::nullopt;
    }
    return std::nullopt;
}

bool Launch(const std::string& commandLine) {
    const std::optional<std::wstring> address = AddressOf(commandLine);
    if (!address) return false;
    // The handler may be a COM server; the thread is single-threaded apartment (see main.cpp).
    const auto result =
        reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", address->c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

}  // namespace quillmere::WinLauncher
