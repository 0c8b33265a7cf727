// TestSettingsStore: the settings store behind a test's real-files platform. On Linux it is the
// INI file at a path in the test's temporary folder; on Windows it is the registry key of a test
// application named after that path (never the program's own "Quillmere"), removed again when
// the store goes, so a test run never touches the settings of the person running it.
#pragma once

#include <string>

namespace quillmere::test {

class TestSettingsStore {
public:
    explicit TestSettingsStore(std::string file);
    ~TestSettingsStore();
    TestSettingsStore(const TestSettingsStore&) = delete;
    TestSettingsStore& operator=(const TestSettingsStore&) = delete;

    std::string Read(const std::string& section, const std::string& key, const std::string& defaultValue) const;
    void Write(const std::string& section, const std::string& key, const std::string& value);

private:
    std::string m_file;
    std::string m_app;  // the test application's name in the registry (Windows only)
};

}  // namespace quillmere::test
