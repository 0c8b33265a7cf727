// PlacedNames: the names this run's copies have taken, in the order they took them.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

namespace quillmere::posix {

// Each name followed by a NUL: one small block per name rather than a string and a table node
// per copy, as a run may name a hundred thousand. Only a failure reads it through.
class PlacedNames {
public:
    void Add(const std::string& name) { m_names.append(name).push_back('\0'); }
    std::size_t Count() const { return static_cast<std::size_t>(std::count(m_names.begin(), m_names.end(), '\0')); }

    template <typename Visit>
    void ForEach(Visit visit) const {
        for (std::size_t at = 0; at < m_names.size();) {
            const std::size_t end = m_names.find('\0', at);
            visit(std::string_view(m_names).substr(at, end - at));
            at = end + 1;
        }
    }

private:
    std::string m_names;
};

}  // namespace quillmere::posix
