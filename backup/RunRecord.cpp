#include "backup/RunRecord.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <string_view>
#include <utility>

namespace quillmere {
namespace {

constexpr std::array<std::pair<RunOutcome, std::string_view>, 4> kOutcomes = {{
    {RunOutcome::Running, "running"},
    {RunOutcome::Completed, "completed"},
    {RunOutcome::Stopped, "stopped"},
    {RunOutcome::Failed, "failed"},
}};

std::string Escape(const std::string& value) {
    std::string escaped;
    for (const char c : value) {
        if (c == '\\') {
            escaped += "\\\\";
        } else if (c == '\n') {
            escaped += "\\n";
        } else if (c == '\r') {
            escaped += "\\r";
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::string Unescape(std::string_view value) {
    std::string text;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char next = i + 1 < value.size() ? value[i + 1] : '\0';
        if (value[i] == '\\' && (next == '\\' || next == 'n' || next == 'r')) {
            text += next == 'n' ? '\n' : next == 'r' ? '\r' : '\\';
            ++i;
        } else {
            text += value[i];
        }
    }
    return text;
}

bool ParseCount(std::string_view text, std::uint64_t& count) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
    return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::string RunRecord::Format() const {
    std::string outcomeName;
    for (const auto& [known, name] : kOutcomes) {
        if (known == outcome) outcomeName = name;
    }
    std::string text = "[Run]\n";
    const std::pair<const char*, std::string> lines[] = {
        {"Outcome", outcomeName},
        {"Failure", failure},
        {"Started", started},
        {"Ended", ended},
        {"Files", std::to_string(files)},
        {"Bytes", std::to_string(bytes)},
        {"SrcFolder", source},
        {"DstFolder", destination},
        {"FileType", fileType},
        {"Version", version},
    };
    for (const auto& [key, value] : lines) text += std::string(key) + "=" + Escape(value) + "\n";
    if (partlyRemoved) text += "Removal=partial\n";
    return text;
}

std::optional<RunRecord> RunRecord::Parse(const std::string& text) {
    RunRecord record;
    bool outcomeKnown = false;
    std::string_view rest(text);
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        // A record's own carriage returns are escaped: one at the end came from an editor.
        if (line.ends_with('\r')) line.remove_suffix(1);
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        const std::string_view key = line.substr(0, equals);
        const std::string value = Unescape(line.substr(equals + 1));
        if (key == "Outcome") {
            outcomeKnown = false;
            for (const auto& [known, name] : kOutcomes) {
                if (name == value) {
                    record.outcome = known;
                    outcomeKnown = true;
                }
            }
        } else if (key == "Removal") {
            record.partlyRemoved = value == "partial";
        } else if (key == "Files" || key == "Bytes") {
            if (!ParseCount(value, key == "Files" ? record.files : record.bytes)) return std::nullopt;
        } else {
            std::string* const fields[] = {&record.failure,     &record.started,  &record.ended,  &record.source,
                                           &record.destination, &record.fileType, &record.version};
            constexpr std::string_view kKeys[] = {"Failure",   "Started",  "Ended",  "SrcFolder",
                                                  "DstFolder", "FileType", "Version"};
            for (std::size_t i = 0; i < std::size(kKeys); ++i) {
                if (key == kKeys[i]) *fields[i] = value;
            }
        }
    }
    if (!outcomeKnown) return std::nullopt;
    return record;
}

std::string RunRecord::Time(const LocalTime& m) {
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", m.year, m.month, m.day, m.hour, m.minute,
                  m.second);
    return text;
}

}  // namespace quillmere
