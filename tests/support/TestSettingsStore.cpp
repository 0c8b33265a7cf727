#include "tests/support/TestSettingsStore.h"

#include <functional>

#ifdef _WIN32
#include <windows.h>

#include "platform/SystemSettings.h"
#include "platform/win32/WideText.h"
#else
#include "platform/posix/SettingsFile.h"
#include "tests/support/TempFolder.h"
#endif

namespace quillmere::test {

TestSettingsStore::TestSettingsStore(std::string file)
    : m_file(std::move(file)), m_app("QuillmereTest-" + std::to_string(std::hash<std::string>{}(m_file))) {}

#ifdef _WIN32

TestSettingsStore::~TestSettingsStore() {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\Quillmere\\" + WideText::Widen(m_app)).c_str());
}

std::string TestSettingsStore::Read(const std::string& section, const std::string& key,
                                    const std::string& defaultValue) const {
    return SystemSettings::Read(m_app, section, key, defaultValue);
}

void TestSettingsStore::Write(const std::string& section, const std::string& key, const std::string& value) {
    SystemSettings::Write(m_app, section, key, value);
}

#else

TestSettingsStore::~TestSettingsStore() = default;

std::string TestSettingsStore::Read(const std::string& section, const std::string& key,
                                    const std::string& defaultValue) const {
    return SettingsFile(FsPath(m_file)).Read(section, key, defaultValue);
}

void TestSettingsStore::Write(const std::string& section, const std::string& key, const std::string& value) {
    SettingsFile(FsPath(m_file)).Write(section, key, value);
}

#endif

}  // namespace quillmere::test
