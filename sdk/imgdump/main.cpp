// imgdump.exe: "/isdos <program>" answers by its exit code whether a program is a console
// program (1) or not (0); "/summary /out:<file> <file>" writes a readable summary of an object,
// library, program or DLL.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "host.h"
#include "summary.h"

namespace {

// The file's bytes, mapped so that large programs are not copied.
class MappedFile {
  public:
    explicit MappedFile(const std::string& path) {
        int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            error_ = std::strerror(errno);
            return;
        }
        struct stat st;
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            error_ = "not a regular file";
        } else if (st.st_size > 0) {
            void* p =
                ::mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
            if (p == MAP_FAILED) {
                error_ = std::strerror(errno);
            } else {
                base_ = p;
                size_ = static_cast<size_t>(st.st_size);
            }
        }
        ::close(fd);
        ok_ = error_.empty();
    }
    ~MappedFile() {
        if (base_) ::munmap(base_, size_);
    }
    bool ok() const { return ok_; }
    const std::string& error() const { return error_; }
    std::string_view data() const {
        return base_ ? std::string_view(static_cast<const char*>(base_), size_)
                     : std::string_view();
    }

  private:
    void* base_ = nullptr;
    size_t size_ = 0;
    bool ok_ = false;
    std::string error_;
};

bool IsOption(const std::string& arg, const char* name) {
    if (arg.size() < 2 || (arg[0] != '/' && arg[0] != '-')) return false;
    return nimra::Lower(arg.substr(1)) == name;
}

bool IsOutOption(const std::string& arg) {
    return arg.size() > 5 && (arg[0] == '/' || arg[0] == '-') &&
           nimra::Lower(arg.substr(1, 4)) == "out:";
}

int Usage() {
    std::fprintf(stderr,
                 "usage: imgdump.exe /isdos <program>\n"
                 "       imgdump.exe /summary /out:<file> <object, library, program or dll>\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 2 && IsOption(args[0], "isdos")) {
        MappedFile file(args[1]);
        if (!file.ok()) {
            // The exit code is the answer, so a program that cannot be read is simply not a
            // console program.
            std::fprintf(stderr, "imgdump: %s: %s\n", args[1].c_str(), file.error().c_str());
            return 0;
        }
        return nimra::IsConsoleProgram(file.data()) ? 1 : 0;
    }

    bool summary = false;
    std::string out, input;
    for (const std::string& arg : args) {
        if (IsOption(arg, "summary")) {
            summary = true;
        } else if (IsOutOption(arg)) {
            out = arg.substr(5);
        } else if (input.empty() && !(arg.size() > 1 && arg[0] == '-')) {
            input = arg;
        } else {
            return Usage();
        }
    }
    if (!summary || out.empty() || input.empty()) return Usage();

    MappedFile file(input);
    if (!file.ok()) {
        std::fprintf(stderr, "imgdump: %s: %s\n", input.c_str(), file.error().c_str());
        return 1;
    }
    std::string text, error;
    if (!nimra::Summarize(input, file.data(), text, error)) {
        std::fprintf(stderr, "imgdump: %s: %s\n", input.c_str(), error.c_str());
        return 1;
    }
    if (!nimra::WriteWholeFile(out, text)) {
        std::fprintf(stderr, "imgdump: cannot write %s: %s\n", out.c_str(), std::strerror(errno));
        return 1;
    }
    return 0;
}
