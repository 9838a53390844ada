#include "shell/UiMarker.h"

#include "protocol/StandardError.h"
#include "protocol/WriteAll.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {
namespace {

constexpr const char* markerFailure = "Corvane could not update its UI visibility marker.\n";

// Moves `from` to `to` unless something already stands at `to`. Answers false on failure; `exists` is
// set when the path was taken meanwhile (then the marker counts as written by whoever took it).
bool publish(const std::string& from, const std::string& to, bool& exists)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    // File systems without RENAME_NOREPLACE: a hard link gives the same no-overwrite guarantee.
    if (errno == EINVAL || errno == ENOSYS) {
        if (::link(from.c_str(), to.c_str()) == 0) {
            ::unlink(from.c_str());
            return true;
        }
    }
    exists = errno == EEXIST;
    return false;
}

std::string directoryOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool writeMarker(const std::string& path)
{
    std::string temporary = directoryOf(path) + "/.corvane-marker-XXXXXX";
    // mkstemp creates the file with mode 0600, readable and writable by the owner only.
    const int descriptor = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (descriptor < 0) {
        return false;
    }
    const double now = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    const bool written = writeAll(descriptor, markerContent(now)) && ::fchmod(descriptor, S_IRUSR | S_IWUSR) == 0;
    const bool closed = ::close(descriptor) == 0;
    bool exists = false;
    if (written && closed && publish(temporary, path, exists)) {
        return true;
    }
    ::unlink(temporary.c_str());
    return exists;
}

} // namespace

std::string markerContent(double secondsSinceEpoch)
{
    std::array<char, 64> digits{};
    const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), secondsSinceEpoch);
    std::string content(digits.data(), result.ptr);
    // The shortest form of a whole number has no fraction; the marker always carries one.
    if (content.find_first_of(".e") == std::string::npos) {
        content += ".0";
    }
    content += '\n';
    return content;
}

void markUIVisible()
{
    const char* path = std::getenv("CORVANE_UI_READY_MARKER");
    if (!path || !*path) {
        return;
    }
    struct stat existing {};
    if (::lstat(path, &existing) == 0) {
        return;
    }
    if (!writeMarker(path)) {
        writeStandardError(markerFailure);
    }
}

} // namespace corvane
