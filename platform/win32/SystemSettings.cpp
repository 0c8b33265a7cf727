// On Windows each application keeps its settings in the registry of the current user:
// HKEY_CURRENT_USER\Software\Quillmere\<application>\<section>, one string value (REG_SZ) per
// key. The registry changes one value atomically, so a crash or a second running copy never
// leaves a torn value, and other values of the section are never touched.
#include "platform/SystemSettings.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/PlatformOps.h"
#include "platform/SettingsNames.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32Error.h"

namespace quillmere::SystemSettings {
namespace {

constexpr char kRoot[] = R"(HKEY_CURRENT_USER\Software\Quillmere\)";

std::string KeyPath(const std::string& app, const std::string& section) {
    return kRoot + app + "\\" + section;
}

std::wstring SubKey(const std::string& app, const std::string& section) {
    return L"Software\\Quillmere\\" + WideText::Widen(app) + L"\\" + WideText::Widen(section);
}

// The names are checked before the key is opened: a "\" would address another key, an empty
// name the key's default value.
void CheckNames(const std::string& app, const std::string& section, const std::string& key) {
    SettingsNames::CheckApplication(app);
    if (const std::string refusal = SettingsNames::Refusal(section, key); !refusal.empty()) {
        throw Win32Error::ForPath(KeyPath(app, section), refusal);
    }
}

class RegistryKey {
public:
    RegistryKey() = default;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    ~RegistryKey() {
        if (m_key) ::RegCloseKey(m_key);
    }
    HKEY* Out() { return &m_key; }
    HKEY Get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

// The text of a string value. The stored size counts the terminating NUL that the registry
// functions add, but a value written by another program may lack it.
std::string TextOf(const std::vector<BYTE>& data, DWORD size) {
    std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t));
    if (!text.empty() && text.back() == L'\0') text.pop_back();
    return WideText::Narrow(text);
}

}  // namespace

std::string Read(const std::string& app, const std::string& section, const std::string& key,
                 const std::string& defaultValue) {
    CheckNames(app, section, key);
    RegistryKey opened;
    LSTATUS status = ::RegOpenKeyExW(HKEY_CURRENT_USER, SubKey(app, section).c_str(), 0, KEY_QUERY_VALUE, opened.Out());
    if (status == ERROR_FILE_NOT_FOUND) return defaultValue;
    if (status != ERROR_SUCCESS) throw Win32Error::ForPath(KeyPath(app, section), static_cast<DWORD>(status));

    const std::wstring name = WideText::Widen(key);
    std::vector<BYTE> data(256);
    DWORD type = 0;
    DWORD size = 0;
    // The value may change between asking for its size and reading it; ask again then.
    for (int attempt = 0; attempt < 8; ++attempt) {
        size = static_cast<DWORD>(data.size());
        status = ::RegQueryValueExW(opened.Get(), name.c_str(), nullptr, &type, data.data(), &size);
        if (status != ERROR_MORE_DATA) break;
        data.resize(size + sizeof(wchar_t));
    }
    if (status == ERROR_FILE_NOT_FOUND) return defaultValue;
    const std::string valuePath = KeyPath(app, section) + "\\" + key;
    if (status != ERROR_SUCCESS) throw Win32Error::ForPath(valuePath, static_cast<DWORD>(status));
    // A number entered by hand with the registry editor is read as the text it stands for.
    if (type == REG_DWORD && size == sizeof(DWORD)) {
        DWORD number = 0;
        std::copy(data.begin(), data.begin() + sizeof number, reinterpret_cast<BYTE*>(&number));
        return std::to_string(number);
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) throw Win32Error::ForPath(valuePath, ERROR_INVALID_DATATYPE);
    return TextOf(data, size);
}

void Write(const std::string& app, const std::string& section, const std::string& key, const std::string& value) {
    CheckNames(app, section, key);
    RegistryKey created;
    LSTATUS status = ::RegCreateKeyExW(HKEY_CURRENT_USER, SubKey(app, section).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                       nullptr, created.Out(), nullptr);
    if (status != ERROR_SUCCESS) throw Win32Error::ForPath(KeyPath(app, section), static_cast<DWORD>(status));

    const std::wstring text = WideText::Widen(value);
    const auto bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    status = ::RegSetValueExW(created.Get(), WideText::Widen(key).c_str(), 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(text.c_str()), bytes);
    if (status != ERROR_SUCCESS) {
        throw Win32Error::ForPath(KeyPath(app, section) + "\\" + key, static_cast<DWORD>(status));
    }
}

// Each value of the registry is written whole by itself; there is no file to replace once.
void Write(const std::string& app, const std::string& section,
           const std::vector<std::pair<std::string, std::string>>& values) {
    for (const auto& [key, value] : values) Write(app, section, key, value);
}

}  // namespace quillmere::SystemSettings
