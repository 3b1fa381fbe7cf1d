#include "temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace velt::testing {

TempDir::TempDir() {
    std::string templ = (fs::temp_directory_path() / "velt-test-XXXXXX").string();
    if (!mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
    path_ = templ;
    if (const char* c = std::getenv("XDG_CONFIG_HOME")) {
        hadConfig_ = true;
        oldConfig_ = c;
    }
    setenv("XDG_CONFIG_HOME", (path_ + "/.config").c_str(), 1);
}

TempDir::~TempDir() {
    if (hadConfig_)
        setenv("XDG_CONFIG_HOME", oldConfig_.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
    std::error_code ec;
    // Tests make files read-only; give the write bits back so everything can go.
    for (auto it = fs::recursive_directory_iterator(path_, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

std::string TempDir::Write(const std::string& name, const std::string& bytes) const {
    fs::path p = fs::path(path_) / name;
    fs::create_directories(p.parent_path());
    std::ofstream f(p, std::ios::binary | std::ios::trunc);
    f << bytes;
    return p.string();
}

std::string TempDir::Read(const std::string& name) const {
    std::ifstream f(fs::path(path_) / name, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

}  // namespace velt::testing
