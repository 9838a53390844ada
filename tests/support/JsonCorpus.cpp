#include "JsonCorpus.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace corvane::test {

namespace fs = std::filesystem;

fs::path jsonCorpusFolder()
{
    return fs::path(CORVANE_CONFORMANCE_DIR) / "test_parsing";
}

std::vector<CorpusText> jsonCorpusFiles(const std::string& prefix)
{
    std::vector<CorpusText> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(jsonCorpusFolder())) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(prefix) && entry.path().extension() == ".json") {
            std::ifstream stream(entry.path(), std::ios::binary);
            std::ostringstream bytes;
            bytes << stream.rdbuf();
            files.push_back({name, bytes.str()});
        }
    }
    std::sort(files.begin(), files.end(), [](const CorpusText& a, const CorpusText& b) { return a.name < b.name; });
    return files;
}

std::string stateCarrying(const std::string& value)
{
    return R"({"status":"ready","iconStatus":"ready","tooltip":"","menu":[{"id":"a","text":"a","enabled":true}],"x":)" +
           value + "}";
}

} // namespace corvane::test
