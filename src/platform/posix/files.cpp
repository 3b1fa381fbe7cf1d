#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace velt::platform {

namespace {

char FoldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualFolded(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldCase(a[i]) != FoldCase(b[i])) return false;
    return true;
}

bool LinkExists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

// Closes on scope exit; close errors matter only where the caller checks them explicitly.
class Fd {
  public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { Reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    void Reset() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    // Closes now and reports whether the close succeeded (delayed write errors show here).
    bool Close() {
        int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::close(fd) == 0 || errno == EINTR;
    }

  private:
    int fd_;
};

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// Opens a new file with a unique name beside `target` (same directory, hence same file
// system, so the final rename is atomic). The mode passes through the umask like any other
// new file.
int OpenTempBeside(const std::string& target, std::string& tempName) {
    static std::atomic<unsigned> counter{0};
    std::string dir = DirectoryPart(target);
    std::string base = "." + NamePart(target) + ".velt-";
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, "%x%x", static_cast<unsigned>(rd()),
                      counter.fetch_add(1));
        tempName = dir.empty() ? base + suffix : JoinPath(dir, base + suffix);
        int fd = ::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// Follows symbolic links (also dangling ones, whose target is still to be created) so that a
// file replaced through a link is replaced where it really lives and the link stays.
std::string FollowLinks(std::string path) {
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        std::string target(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
        ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n < 0) return path;
        if (static_cast<size_t>(n) == target.size()) {
            // The link changed size under us; the next round reads it again.
            continue;
        }
        target.resize(static_cast<size_t>(n));
        if (!target.empty() && target[0] == '/')
            path = target;
        else
            path = DirectoryPart(path).empty() ? target : JoinPath(DirectoryPart(path), target);
    }
    return path;
}

// rename() that never replaces an existing file, like the host call MoveFile stands in for.
bool RenameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // File systems without the flag: check first (a small window, but nothing better exists).
    if (LinkExists(to)) {
        errno = EEXIST;
        return false;
    }
    return ::rename(from.c_str(), to.c_str()) == 0;
}

// Copies a regular file's bytes, mode and times into a new temporary file beside `to`.
// Returns the temporary name, or "" with nothing left behind.
std::string CopyToTempBeside(const std::string& from, const std::string& to) {
    Fd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) return "";
    struct stat st;
    if (::fstat(in.get(), &st) != 0) return "";
    if (!S_ISREG(st.st_mode)) {
        errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return "";
    }
    std::string temp;
    Fd out(OpenTempBeside(to, temp));
    if (out.get() < 0) return "";
    bool ok = true;
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(in.get(), buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        if (n == 0) break;
        if (!WriteAll(out.get(), std::string_view(buf, static_cast<size_t>(n)))) {
            ok = false;
            break;
        }
    }
    if (ok) ok = ::fchmod(out.get(), st.st_mode & 07777) == 0;
    if (ok) {
        struct timespec times[2] = {st.st_atim, st.st_mtim};
        ::futimens(out.get(), times);  // best effort: a copy with a new time is still a copy
    }
    if (!out.Close()) ok = false;
    if (!ok) {
        int saved = errno;
        ::unlink(temp.c_str());
        errno = saved;
        return "";
    }
    return temp;
}

bool MatchPlain(std::string_view pattern, std::string_view name) {
    // Two-pointer matching with one remembered star: on a mismatch the last star takes one
    // more character. Linear in practice, never exponential.
    size_t p = 0, n = 0;
    size_t starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == '?' || FoldCase(pattern[p]) == FoldCase(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace

bool PathExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

bool IsDirectory(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsRegularFile(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::optional<std::int64_t> ModificationTime(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

bool IsReadOnly(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && (st.st_mode & 0222) == 0;
}

bool SetReadOnly(const std::string& path, bool readOnly) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return false;
    mode_t mode = st.st_mode & 07777;
    mode = readOnly ? (mode & ~mode_t{0222}) : (mode | S_IWUSR);
    return ::chmod(path.c_str(), mode) == 0;
}

// Like the host call it stands in for, a move never replaces an existing file.
bool MoveFile(const std::string& from, const std::string& to) {
    if (RenameNoReplace(from, to)) return true;
    if (errno != EXDEV) return false;
    // Across file systems: copy beside the target, put the copy in place, then drop the
    // source. If the source cannot be dropped the move did not happen: undo the copy.
    std::string temp = CopyToTempBeside(from, to);
    if (temp.empty()) return false;
    if (!RenameNoReplace(temp, to)) {
        int saved = errno;
        ::unlink(temp.c_str());
        errno = saved;
        return false;
    }
    if (::unlink(from.c_str()) != 0) {
        int saved = errno;
        ::unlink(to.c_str());
        errno = saved;
        return false;
    }
    return true;
}

// Replaces an existing target, but not a read-only one; a failed copy leaves the old target.
bool CopyFile(const std::string& from, const std::string& to) {
    std::string target = FollowLinks(to);
    struct stat st;
    if (::stat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            errno = EISDIR;
            return false;
        }
        if ((st.st_mode & 0222) == 0) {
            errno = EACCES;
            return false;
        }
    }
    std::string temp = CopyToTempBeside(from, target);
    if (temp.empty()) return false;
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        int saved = errno;
        ::unlink(temp.c_str());
        errno = saved;
        return false;
    }
    return true;
}

bool DeleteFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

bool CreateDirectory(const std::string& path) {
    return ::mkdir(path.c_str(), 0777) == 0;
}

std::string ResolveName(const std::string& path) {
    if (path.empty() || LinkExists(path)) return path;

    std::string result;
    size_t pos = 0;
    if (path[0] == '/') {
        result = "/";
        pos = 1;
    }
    bool searching = true;  // false once a component does not exist: nothing below it can
    while (pos <= path.size()) {
        size_t end = path.find('/', pos);
        if (end == std::string::npos) end = path.size();
        std::string component = path.substr(pos, end - pos);
        bool last = end == path.size();

        if (searching && !component.empty() && component != "." && component != "..") {
            std::string exact = result + component;
            if (!LinkExists(exact)) {
                std::string best;
                if (DIR* dir = ::opendir(result.empty() ? "." : result.c_str())) {
                    while (struct dirent* e = ::readdir(dir)) {
                        std::string_view name = e->d_name;
                        if (EqualFolded(name, component) && (best.empty() || name < best))
                            best = name;
                    }
                    ::closedir(dir);
                }
                if (best.empty())
                    searching = false;
                else
                    component = best;
            }
        }
        result += component;
        if (last) break;
        result += '/';
        pos = end + 1;
    }
    return result;
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    if (::stat(ResolveName(a).c_str(), &sa) != 0 || ::stat(ResolveName(b).c_str(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

std::optional<FileIdentity> IdentityOf(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(st.st_dev),
                        static_cast<std::uint64_t>(st.st_ino)};
}

std::string CurrentDirectory() {
    std::string buf(256, '\0');
    for (;;) {
        if (::getcwd(buf.data(), buf.size())) {
            buf.resize(std::char_traits<char>::length(buf.c_str()));
            return buf;
        }
        if (errno != ERANGE) return "";
        buf.resize(buf.size() * 2);
    }
}

bool SetCurrentDirectory(const std::string& path) {
    return ::chdir(path.c_str()) == 0;
}

std::string MakeAbsolute(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    std::string cwd = CurrentDirectory();
    if (path.empty() || path == ".") return cwd;
    return JoinPath(cwd, path);
}

std::string DirectoryPart(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return "";
    // "/name" lives in the root; an empty answer would mean the current directory.
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string NamePart(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string JoinPath(const std::string& dir, const std::string& name) {
    if (dir.empty()) return name;
    if (!name.empty() && name[0] == '/') return name;
    if (dir.back() == '/') return dir + name;
    return dir + '/' + name;
}

std::string CreateTempFile(const std::string& dir, const std::string& prefix) {
    // mkostemp fills in the six trailing characters.
    std::string templ = JoinPath(dir.empty() ? "." : dir, prefix + std::string(6, 'X'));
    int fd = ::mkostemp(templ.data(), O_CLOEXEC);
    if (fd < 0) return "";
    ::close(fd);
    return templ;
}

std::string TempDirectory() {
    const char* t = std::getenv("TMPDIR");
    return (t && *t) ? std::string(t) : std::string("/tmp");
}

bool ReadWholeFile(const std::string& path, std::string& out) {
    out.clear();
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) return false;
    struct stat st;
    if (::fstat(fd.get(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    if (S_ISREG(st.st_mode) && st.st_size > 0) out.reserve(static_cast<size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            out.clear();
            return false;
        }
        if (n == 0) return true;
        out.append(buf, static_cast<size_t>(n));
    }
}

bool ReadFileHead(const std::string& path, std::size_t limit, std::string& out) {
    out.clear();
    // O_NONBLOCK: a pipe or device by that name must not hold the caller.
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) return false;
    struct stat st;
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    // One byte past the size sees a file that grew since; more room is made only as needed,
    // so that a small file does not cost a large zeroed buffer.
    out.resize(std::min<std::size_t>(limit, static_cast<std::size_t>(st.st_size) + 1));
    std::size_t have = 0;
    // The file may still grow or shrink while it is read.
    while (have < limit) {
        if (have == out.size())
            out.resize(std::min(limit, have + std::max<std::size_t>(have, 4096)));
        const ssize_t n = ::read(fd.get(), out.data() + have, out.size() - have);
        if (n < 0) {
            if (errno == EINTR) continue;
            out.clear();
            return false;
        }
        if (n == 0) break;
        have += static_cast<std::size_t>(n);
    }
    out.resize(have);
    return true;
}

// A read-only target is refused: replacing it by rename would ignore the attribute, which
// the host call this stands in for does not.
bool ReplaceFileAtomically(const std::string& path, std::string_view data, bool sync) {
    FileReplacement r;
    return r.Begin(path) && r.Write(data) && r.Commit(sync);
}

bool FileReplacement::Begin(const std::string& path) {
    Abort();
    target_ = FollowLinks(path);
    struct stat old;
    exists_ = ::stat(target_.c_str(), &old) == 0;
    if (exists_) {
        if (!S_ISREG(old.st_mode)) {
            errno = S_ISDIR(old.st_mode) ? EISDIR : EINVAL;
            return false;
        }
        if ((old.st_mode & 0222) == 0) {
            errno = EACCES;
            return false;
        }
        mode_ = old.st_mode & 07777;
        uid_ = old.st_uid;
        gid_ = old.st_gid;
    }
    written_ = started_ = 0;
    fd_ = OpenTempBeside(target_, temp_);
    if (fd_ < 0) temp_.clear();
    return fd_ >= 0;
}

bool FileReplacement::Write(std::string_view data) {
    if (fd_ < 0) return false;
    if (!WriteAll(fd_, data)) {
        Abort();
        return false;
    }
    // Start writing a large file out while the rest is produced, so that the sync at the
    // end has little left to wait for.
    constexpr unsigned long long kWriteBackStep = 1u << 20;
    written_ += data.size();
    if (written_ - started_ >= kWriteBackStep) {
        (void)::sync_file_range(fd_, static_cast<off_t>(started_),
                                static_cast<off_t>(written_ - started_), SYNC_FILE_RANGE_WRITE);
        started_ = written_;
    }
    return true;
}

bool FileReplacement::Commit(bool sync) {
    if (fd_ < 0) return false;
    bool ok = true;
    if (exists_) {
        ok = ::fchmod(fd_, static_cast<mode_t>(mode_)) == 0;
        // Keep the owner where we may (root editing another user's file); not fatal.
        if (ok && (uid_ != ::geteuid() || gid_ != ::getegid()))
            (void)::fchown(fd_, static_cast<uid_t>(uid_), static_cast<gid_t>(gid_));
    }
    if (ok && sync) ok = ::fsync(fd_) == 0;
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && errno != EINTR) ok = false;
    if (ok) ok = ::rename(temp_.c_str(), target_.c_str()) == 0;
    if (!ok) {
        int saved = errno;
        ::unlink(temp_.c_str());
        temp_.clear();
        errno = saved;
        return false;
    }
    temp_.clear();
    return true;
}

void FileReplacement::Abort() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temp_.empty()) {
        int saved = errno;
        ::unlink(temp_.c_str());
        errno = saved;
        temp_.clear();
    }
}

bool CanWriteFile(const std::string& path) {
    if (path.empty()) return false;
    struct stat st;
    if (::stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return false;
        // Root passes access() regardless of the mode, so the write bits are checked as well.
        return (st.st_mode & 0222) != 0 && ::access(path.c_str(), W_OK) == 0;
    }
    if (errno != ENOENT) return false;
    std::string dir = DirectoryPart(FollowLinks(path));
    if (dir.empty()) dir = ".";
    return IsDirectory(dir) && ::access(dir.c_str(), W_OK | X_OK) == 0;
}

bool ListDirectory(const std::string& dir, std::vector<DirEntry>& out) {
    out.clear();
    DIR* d = ::opendir(dir.c_str());
    if (!d) return false;
    while (struct dirent* e = ::readdir(d)) {
        std::string_view name = e->d_name;
        if (name == "." || name == "..") continue;
        DirEntry entry;
        entry.name = name;
        if (e->d_type == DT_DIR) {
            entry.isDirectory = true;
        } else if (e->d_type == DT_REG) {
            entry.isRegularFile = true;
        } else if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
            // Links to directories count as directories, as they behave like them.
            struct stat st;
            if (::stat(JoinPath(dir, entry.name).c_str(), &st) == 0) {
                entry.isDirectory = S_ISDIR(st.st_mode);
                entry.isRegularFile = S_ISREG(st.st_mode);
            }
        }
        out.push_back(std::move(entry));
    }
    ::closedir(d);
    std::sort(out.begin(), out.end(),
              [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
    return true;
}

bool FilePatternMatch(std::string_view pattern, std::string_view name) {
    if (MatchPlain(pattern, name)) return true;
    // A trailing ".*" also matches names without any extension, so "*.*" matches every name
    // and "make.*" matches "make".
    if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
        name.find('.') == std::string_view::npos)
        return MatchPlain(pattern.substr(0, pattern.size() - 2), name);
    return false;
}

}  // namespace velt::platform
