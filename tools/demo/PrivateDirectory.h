// A directory only this user can enter (mode 0700), made with mkdtemp in $TMPDIR (else /tmp) and removed
// with everything in it on destruction. The demo keeps its UI markers here. One owner thread; not
// copyable or movable.
#pragma once

#include <filesystem>
#include <string_view>

namespace corvane::demo {

class PrivateDirectory final {
public:
    // Throws std::system_error when the directory cannot be made.
    explicit PrivateDirectory(std::string_view prefix);
    PrivateDirectory(const PrivateDirectory&) = delete;
    PrivateDirectory& operator=(const PrivateDirectory&) = delete;
    ~PrivateDirectory();

    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

} // namespace corvane::demo
