// The system's settings store through its application, section and key interface: the INI file
// on Linux and the registry on Windows keep the same contract, so the same cases run on both.
// Each case uses a test application of its own, in a private config folder on Linux and a key
// removed afterwards on Windows.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <utility>
#include <vector>

#include "platform/SystemSettings.h"
#include "tests/support/FailureOf.h"
#include "tests/support/TempFolder.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/WideText.h"
#include "platform/win32/Win32Error.h"
#endif

namespace quillmere::test {
namespace {

class SystemSettingsTest : public testing::Test {
protected:
    void SetUp() override {
#ifdef _WIN32
        RemoveTestKey();
#else
        const char* saved = std::getenv("XDG_CONFIG_HOME");
        m_savedConfigHome = saved ? std::optional<std::string>(saved) : std::nullopt;
        ::setenv("XDG_CONFIG_HOME", Utf8(m_configHome.Path()).c_str(), 1);
#endif
    }

    void TearDown() override {
#ifdef _WIN32
        RemoveTestKey();
#else
        m_savedConfigHome ? ::setenv("XDG_CONFIG_HOME", m_savedConfigHome->c_str(), 1) : ::unsetenv("XDG_CONFIG_HOME");
#endif
    }

    std::string Read(const std::string& section, const std::string& key, const std::string& defaultValue = "<d>") {
        return SystemSettings::Read(kApp, section, key, defaultValue);
    }
    void Write(const std::string& section, const std::string& key, const std::string& value) {
        SystemSettings::Write(kApp, section, key, value);
    }

    static constexpr char kApp[] = "QuillmereTest-SystemSettings";

private:
#ifdef _WIN32
    static void RemoveTestKey() {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quillmere\\QuillmereTest-SystemSettings");
    }
#else
    TempFolder m_configHome;
    std::optional<std::string> m_savedConfigHome;
#endif
};

struct RoundTripCase {
    std::string name;
    std::string value;
};

const RoundTripCase kRoundTripCases[] = {
    {"Empty", ""},
    {"SpacesAreKept", "  padded  "},
    {"WindowsFolder", "C:\\Program Files\\Pat98"},
    {"Japanese", "D:\\バック アップ\\オッズ"},
    {"LineBreaksAndTabs", "one\ntwo\r\nthree\tfour"},
    {"Quotes", "\"quoted\" and \\ backslash\""},
    {"EqualsSignsAndComments", "=a=b ; not a comment"},
    {"NegativeNumber", "-1500"},
    {"Long", std::string(5000, 'x')},
};

class SystemSettingsRoundTrip : public SystemSettingsTest, public testing::WithParamInterface<RoundTripCase> {};

TEST_P(SystemSettingsRoundTrip, ReadsBackWhatWasWritten) {
    Write("LastExec", "SrcFolder", "earlier text, replaced by the next write");
    Write("LastExec", "SrcFolder", GetParam().value);
    EXPECT_EQ(Read("LastExec", "SrcFolder"), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(SystemSettings, SystemSettingsRoundTrip, testing::ValuesIn(kRoundTripCases),
                         [](const testing::TestParamInfo<RoundTripCase>& info) { return info.param.name; });

TEST_F(SystemSettingsTest, AbsentKeyGivesTheDefaultButAnEmptyValueDoesNot) {
    EXPECT_EQ(Read("MainWindow", "Left", "1000"), "1000");
    Write("MainWindow", "Top", "");
    EXPECT_EQ(Read("MainWindow", "Top", "1000"), "");
    EXPECT_EQ(Read("MainWindow", "Left", "1000"), "1000");
}

TEST_F(SystemSettingsTest, KeysOfOtherSectionsAndApplicationsAreKeptApart) {
    Write("MainWindow", "Left", "10");
    Write("LastExec", "Left", "20");
    EXPECT_EQ(Read("MainWindow", "Left"), "10");
    EXPECT_EQ(Read("LastExec", "Left"), "20");
    EXPECT_EQ(SystemSettings::Read("QuillmereTest-Other", "MainWindow", "Left", "<d>"), "<d>");
}

TEST_F(SystemSettingsTest, NamesMatchWithoutRegardToCase) {
    Write("LastExec", "FileType", "*.jra");
    Write("LASTEXEC", "filetype", "*.csv");
    EXPECT_EQ(Read("lastexec", "FILETYPE"), "*.csv");
}

TEST_F(SystemSettingsTest, NamesTheStoreCannotHoldAreRefusedOnBothSystems) {
    for (const auto& [section, key] : std::vector<std::pair<std::string, std::string>>{{"", "Left"},
                                                                                       {"Main]Window", "Left"},
                                                                                       {"MainWindow", ""},
                                                                                       {"MainWindow", "Le=ft"},
                                                                                       {"MainWindow", "a\nb"},
                                                                                       {"Main\\Window", "Left"}}) {
        EXPECT_NE(FailureOf([&] { Write(section, key, "1"); }).find("設定の名前が正しくありません"), std::string::npos)
            << section << " / " << key;
    }
    for (const std::string app : {"a/b", "a\\b", ".."}) {
        EXPECT_NE(FailureOf([&] { SystemSettings::Write(app, "MainWindow", "Left", "1"); }), "") << app;
    }
}

#ifdef _WIN32

std::wstring ValueOfType(const wchar_t* section, const wchar_t* key, DWORD& type) {
    wchar_t data[256] = {};
    DWORD size = sizeof data;
    const std::wstring subKey = std::wstring(L"Software\\Quillmere\\QuillmereTest-SystemSettings\\") + section;
    EXPECT_EQ(::RegGetValueW(HKEY_CURRENT_USER, subKey.c_str(), key, RRF_RT_ANY, &type, data, &size), ERROR_SUCCESS);
    return data;
}

// Other tools (and an earlier installation) read these keys: the place and the type are fixed.
TEST_F(SystemSettingsTest, EachKeyIsOneStringValueUnderTheApplicationsSectionKey) {
    Write("LastExec", "DstFolder", "D:\\バック アップ");
    DWORD type = 0;
    EXPECT_EQ(ValueOfType(L"LastExec", L"DstFolder", type), L"D:\\バック アップ");
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
}

TEST_F(SystemSettingsTest, NumberEnteredInTheRegistryEditorReadsAsItsText) {
    Write("MainWindow", "Left", "0");
    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Quillmere\\QuillmereTest-SystemSettings\\MainWindow", 0,
                              KEY_SET_VALUE, &key),
              ERROR_SUCCESS);
    const DWORD number = 2500;
    const BYTE bytes[] = {1, 2, 3};
    ::RegSetValueExW(key, L"Left", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    ::RegSetValueExW(key, L"Top", 0, REG_BINARY, bytes, sizeof bytes);
    ::RegCloseKey(key);

    EXPECT_EQ(Read("MainWindow", "Left"), "2500");
    // A value of another kind is no text at all: reading it fails with its place, not silently.
    EXPECT_EQ(FailureOf([&] { Read("MainWindow", "Top"); }),
              "HKEY_CURRENT_USER\\Software\\Quillmere\\QuillmereTest-SystemSettings\\MainWindow\\Top: " +
                  Win32Error::Reason(ERROR_INVALID_DATATYPE));
}

#else

TEST(SystemSpecificSuites, WindowsSuitesAreNotBuiltHere) {
    GTEST_SKIP() << "the registry layout, Win32SystemFilesTest and the comparison with FindFirstFileExW need "
                    "Windows; they run under Wine from scripts/test-windows.sh";
}

#endif

}  // namespace
}  // namespace quillmere::test
