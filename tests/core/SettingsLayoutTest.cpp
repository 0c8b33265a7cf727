// The window position as stored text and back: plain integers, "." whatever the locale, and
// nothing that is not a finite number.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

#include "settings/SettingsLayout.h"

namespace quillmere::test {
namespace {

struct ToTextCase {
    std::string name;
    float twips;
    std::string expected;
};

const ToTextCase kToTextCases[] = {
    {"Default", 1000.0F, "1000"},
    {"Negative", -120.0F, "-120"},
    {"Zero", 0.0F, "0"},
    {"NegativeZero", -0.0F, "0"},
    {"LargeWholeNumberHasNoExponent", 12345678.0F, "12345678"},
    {"Fraction", 1234.5F, "1234.5"},
    {"NegativeFraction", -0.25F, "-0.25"},
    {"AtMostSevenDigits", 1.0F / 3.0F, "0.3333333"},
    {"NotANumberFallsBackToTheDefault", std::numeric_limits<float>::quiet_NaN(), "1000"},
    {"InfinityFallsBackToTheDefault", std::numeric_limits<float>::infinity(), "1000"},
};

class PositionToTextTest : public testing::TestWithParam<ToTextCase> {};

TEST_P(PositionToTextTest, Writes) {
    EXPECT_EQ(PositionToText(GetParam().twips), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(SettingsLayout, PositionToTextTest, testing::ValuesIn(kToTextCases),
                         [](const testing::TestParamInfo<ToTextCase>& info) { return info.param.name; });

struct FromTextCase {
    std::string name;
    std::string text;
    std::optional<float> expected;
};

const FromTextCase kFromTextCases[] = {
    {"Integer", "1000", 1000.0F},
    {"Negative", "-120", -120.0F},
    {"PlusSign", "+15", 15.0F},
    {"BlanksAround", " \t1500 \t", 1500.0F},
    {"Fraction", "1234.5", 1234.5F},
    {"Exponent", "1.5E3", 1500.0F},
    {"LeadingPoint", ".5", 0.5F},
    {"Empty", "", std::nullopt},
    {"OnlyBlanks", "   ", std::nullopt},
    {"Word", "left", std::nullopt},
    {"TrailingGarbage", "12px", std::nullopt},
    {"DigitGrouping", "1,000", std::nullopt},
    {"TwoSigns", "+-5", std::nullopt},
    {"LoneSign", "-", std::nullopt},
    {"Hexadecimal", "0x10", std::nullopt},
    {"Infinity", "inf", std::nullopt},
    {"NotANumber", "nan", std::nullopt},
    {"TooLargeForTheType", "1e40", std::nullopt},
    {"BlankInside", "10 00", std::nullopt},
};

class PositionFromTextTest : public testing::TestWithParam<FromTextCase> {};

TEST_P(PositionFromTextTest, Reads) {
    EXPECT_EQ(PositionFromText(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(SettingsLayout, PositionFromTextTest, testing::ValuesIn(kFromTextCases),
                         [](const testing::TestParamInfo<FromTextCase>& info) { return info.param.name; });

TEST(SettingsLayout, StoredTextThatIsNoNumberReadsAsTheDefault) {
    EXPECT_EQ(StoredPosition("-120"), -120.0F);
    EXPECT_EQ(StoredPosition("left edge"), 1000.0F);
    EXPECT_EQ(StoredPosition(""), 1000.0F);
}

TEST(SettingsLayout, WholePositionsSurviveTheRoundTrip) {
    for (float twips = -30000.0F; twips <= 30000.0F; twips += 15.0F) {
        ASSERT_EQ(PositionFromText(PositionToText(twips)), twips) << PositionToText(twips);
    }
}

struct SeparatorCase {
    std::string name;
    std::string text;
    std::string separator;
    std::optional<float> expected;
};

const SeparatorCase kSeparatorCases[] = {
    {"CommaLocaleReadsComma", "1234,5", ",", 1234.5F},        {"CommaLocaleStillReadsPoint", "1234.5", ",", 1234.5F},
    {"CommaLocaleReadsPlainInteger", "-120", ",", -120.0F},   {"ArabicSeparator", "12٫5", "٫", 12.5F},
    {"PointLocaleRefusesComma", "1234,5", ".", std::nullopt}, {"TwoSeparatorsAreNoNumber", "1,2,3", ",", std::nullopt},
};

class PositionSeparatorTest : public testing::TestWithParam<SeparatorCase> {};

TEST_P(PositionSeparatorTest, Reads) {
    EXPECT_EQ(PositionFromText(GetParam().text, GetParam().separator), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(SettingsLayout, PositionSeparatorTest, testing::ValuesIn(kSeparatorCases),
                         [](const testing::TestParamInfo<SeparatorCase>& info) { return info.param.name; });

TEST(SettingsLayout, CommaLocaleWritesPointAndReadsBoth) {
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    const char* found = nullptr;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "ru_RU.UTF-8"}) {
        if ((found = std::setlocale(LC_NUMERIC, name))) break;
    }
    if (!found) GTEST_SKIP() << "no locale with a decimal comma is installed";
    const std::string written = PositionToText(1234.5F);
    const auto withComma = PositionFromText("1234,5");
    const auto withPoint = PositionFromText("1234.5");
    std::setlocale(LC_NUMERIC, previous.c_str());

    EXPECT_EQ(written, "1234.5");
    EXPECT_EQ(withComma, 1234.5F);
    EXPECT_EQ(withPoint, 1234.5F);
}

}  // namespace
}  // namespace quillmere::test
