// Position conversions. Both directions use std::to_chars/from_chars, which ignore the C locale,
// and accept the locale's decimal separator only on reading, so a file written under one locale
// reads the same under another.
#include "settings/SettingsLayout.h"

#include <charconv>
#include <clocale>
#include <cmath>

namespace quillmere {

std::string PositionToText(float twips) {
    if (!std::isfinite(twips)) return SettingsLayout::kDefaultPositionText;
    if (twips == 0.0F) return "0";  // never "-0"
    char buffer[64];
    const bool whole = std::trunc(twips) == twips;
    const auto result =
        whole ? std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(twips), std::chars_format::fixed, 0)
              : std::to_chars(buffer, buffer + sizeof buffer, twips, std::chars_format::general, 7);
    return std::string(buffer, result.ptr);
}

std::optional<float> PositionFromText(const std::string& text) {
    return PositionFromText(text, std::localeconv()->decimal_point);
}

std::optional<float> PositionFromText(const std::string& text, const std::string& decimalSeparator) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::nullopt;
    std::string number = text.substr(first, text.find_last_not_of(" \t") - first + 1);

    const std::string& point = decimalSeparator;
    if (!point.empty() && point != ".") {
        if (const auto at = number.find(point); at != std::string::npos) {
            number = number.substr(0, at) + "." + number.substr(at + point.size());
        }
    }
    std::size_t start = 0;
    if (number[0] == '+' && number.size() > 1 && number[1] != '-') start = 1;

    float value = 0;
    const char* end = number.data() + number.size();
    const auto [ptr, error] = std::from_chars(number.data() + start, end, value, std::chars_format::general);
    if (error != std::errc{} || ptr != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

float StoredPosition(const std::string& text) {
    return PositionFromText(text).value_or(SettingsLayout::kDefaultPosition);
}

}  // namespace quillmere
