// The floor of a count: a plain program that opens every module of a
// project (or of every project of a group) once, reads it and counts its
// line feeds, and nothing else. It links nothing of ours, so that its whole
// process is what reading the same bytes costs at least; bench/run.sh puts
// tlvx-count's time beside it.
//
//   module_floor PROJECT.vbp|GROUP.vbg
//
// Module keys and the path after "; " are read as project files write them;
// paths are taken as written, with '\' as the separator (generated projects
// need no lookup without regard to case).

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace {

namespace fs = std::filesystem;

struct Totals {
    std::size_t modules = 0;
    std::size_t bytes = 0;
    std::size_t lineFeeds = 0;
};

std::string withSlashes(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

void readModule(const fs::path& file, Totals& totals) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    static char buffer[1 << 16];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) {
        totals.bytes += static_cast<std::size_t>(n);
        totals.lineFeeds += static_cast<std::size_t>(std::count(buffer, buffer + n, '\n'));
    }
    ::close(fd);
    ++totals.modules;
}

void readProject(const fs::path& project, Totals& totals) {
    std::ifstream in(project, std::ios::binary);
    const fs::path folder = project.parent_path();
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string_view key(line.data(), equals);
        std::string value = line.substr(equals + 1);
        if (key == "Module" || key == "Class") {
            const auto semicolon = value.find("; ");
            if (semicolon == std::string::npos) continue;
            value.erase(0, semicolon + 2);
        } else if (key != "Form" && key != "UserControl" && key != "PropertyPage" &&
                   key != "Designer" && key != "UserDocument") {
            continue;
        }
        readModule(folder / withSlashes(value), totals);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: module_floor PROJECT.vbp|GROUP.vbg\n");
        return 2;
    }
    const fs::path chosen = argv[1];
    Totals totals;
    std::string ext = chosen.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ext == ".vbg") {
        std::ifstream in(chosen, std::ios::binary);
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            for (const std::string_view key : {"Project=", "StartupProject="})
                if (line.rfind(key, 0) == 0)
                    readProject(chosen.parent_path() / withSlashes(line.substr(key.size())),
                                totals);
        }
    } else {
        readProject(chosen, totals);
    }
    std::printf("%zu modules, %zu bytes, %zu line feeds\n", totals.modules, totals.bytes,
                totals.lineFeeds);
    return 0;
}
