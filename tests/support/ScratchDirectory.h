// A fresh private directory (mode 0700) in the system temporary directory, removed with all its contents
// on destruction. Not copyable or movable; one owner thread.
#pragma once

#include <filesystem>
#include <string_view>

namespace corvane::test {

class ScratchDirectory final {
public:
    // Throws std::system_error when the directory cannot be made.
    explicit ScratchDirectory(std::string_view prefix);
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;
    ~ScratchDirectory();

    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

} // namespace corvane::test
