// File-system access for the core. Every name that reaches the file system from the
// system's own formats goes through ResolveName first, so stored names keep their spelling
// while the file on disk may differ in letter case.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velt::platform {

// The host's path separator: '/' here. Formats that join paths with '\' use this instead.
inline constexpr char kPathSeparator = '/';

bool PathExists(const std::string& path);
bool IsDirectory(const std::string& path);
bool IsRegularFile(const std::string& path);

// Modification time in nanoseconds since the epoch; nothing when the file does not exist.
std::optional<std::int64_t> ModificationTime(const std::string& path);

// Read-only means "no write bit set for anybody", the nearest meaning of the attribute.
bool IsReadOnly(const std::string& path);
// Clears every write bit (true) or gives the owner write access back (false).
bool SetReadOnly(const std::string& path, bool readOnly);

// Renames; across file systems copies (keeping the mode) then deletes the source. Fails when
// `to` already exists, like the host call it stands in for.
bool MoveFile(const std::string& from, const std::string& to);
bool CopyFile(const std::string& from, const std::string& to);
bool DeleteFile(const std::string& path);
bool CreateDirectory(const std::string& path);

// Finds the existing file or directory whose name matches `path` without regard to ASCII
// letter case, component by component. An exact match wins over a case-folded one; among
// several case-folded matches the first in byte order wins. Components that do not exist are
// kept as given, so the result can also name a file still to be created.
std::string ResolveName(const std::string& path);

// True when both names resolve to the same existing file (same device and inode).
bool SameFile(const std::string& a, const std::string& b);

// What tells existing files apart (links followed): two names with equal identities name the
// same file or directory. Nothing when the name does not exist. Names are taken as they are.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};
std::optional<FileIdentity> IdentityOf(const std::string& path);

std::string CurrentDirectory();
bool SetCurrentDirectory(const std::string& path);
// Joins a relative name to the current directory; absolute names are returned unchanged.
std::string MakeAbsolute(const std::string& path);
// The directory part of a name (everything before the last separator), "" when none.
std::string DirectoryPart(const std::string& path);
// The name after the last separator.
std::string NamePart(const std::string& path);
std::string JoinPath(const std::string& dir, const std::string& name);

// Creates a new, empty, uniquely named file in `dir` and returns its name ("" on failure).
std::string CreateTempFile(const std::string& dir, const std::string& prefix);
// The directory for temporary files ($TMPDIR or /tmp).
std::string TempDirectory();

// Whole-file reads and writes. ReplaceFileAtomically writes a temporary file beside the
// target and renames it over the target, so a crash leaves the old file or the new one,
// never a torn one; the old file's permission bits are kept and a read-only file is refused.
// With `sync` the data is flushed to the device before the rename.
bool ReadWholeFile(const std::string& path, std::string& out);
// At most the first `limit` bytes of a regular file, for readers that stop at a size anyway;
// false when it is not a regular file or cannot be read. Never waits for a writer.
bool ReadFileHead(const std::string& path, std::size_t limit, std::string& out);
bool ReplaceFileAtomically(const std::string& path, std::string_view data, bool sync);

// The same replacement written piece by piece, for contents too large to hold twice:
// Begin opens the temporary file beside the target (false when the target is a directory or
// read-only, or nothing can be created in its directory), Write appends (false on any
// failure, such as a full disk or the file size limit), Commit puts the file in place with
// the old file's permission bits (false on failure). Until Commit succeeds the old file is
// untouched; a failed or abandoned replacement removes its temporary file.
class FileReplacement {
  public:
    FileReplacement() = default;
    ~FileReplacement() { Abort(); }
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    bool Begin(const std::string& path);
    bool Write(std::string_view data);
    bool Commit(bool sync);
    void Abort();

  private:
    std::string target_;
    std::string temp_;
    int fd_ = -1;
    unsigned long long written_ = 0;  // bytes written so far
    unsigned long long started_ = 0;  // bytes whose write-back has been started
    bool exists_ = false;
    unsigned mode_ = 0;
    unsigned uid_ = 0;
    unsigned gid_ = 0;
};

// Whether a file could be written: an existing file needs a write bit and permission, a new
// one a writable directory.
bool CanWriteFile(const std::string& path);

struct DirEntry {
    std::string name;
    bool isDirectory = false;
    bool isRegularFile = false;  // a plain file (links followed): safe to open and read
};
// Lists a directory's entries except "." and "..", sorted by name. False when it cannot be
// read.
bool ListDirectory(const std::string& dir, std::vector<DirEntry>& out);

// Matches a name against a file pattern the way the host's directory search does for the
// system: '*' any run, '?' one character, ASCII letters without regard to case, and "*.*"
// matching every name.
bool FilePatternMatch(std::string_view pattern, std::string_view name);

}  // namespace velt::platform
