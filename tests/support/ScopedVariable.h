// ScopedVariable: an environment variable set for one test and put back as it was afterwards.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace quillmere::test {

class ScopedVariable {
public:
    ScopedVariable(std::string name, const std::string& value) : m_name(std::move(name)) {
        if (const char* old = std::getenv(m_name.c_str())) m_old = old;
        Set(value);
    }
    ~ScopedVariable() {
        if (m_old) {
            Set(*m_old);
        } else {
#ifdef _WIN32
            ::_putenv_s(m_name.c_str(), "");
#else
            ::unsetenv(m_name.c_str());
#endif
        }
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    void Set(const std::string& value) {
#ifdef _WIN32
        ::_putenv_s(m_name.c_str(), value.c_str());
#else
        ::setenv(m_name.c_str(), value.c_str(), 1);
#endif
    }

    std::string m_name;
    std::optional<std::string> m_old;
};

}  // namespace quillmere::test
