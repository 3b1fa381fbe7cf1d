// Initialisation files ("name = value" lines under "[section]" headers) with the semantics of
// the Windows profile calls the system was designed around:
//  - sections and keys are found without regard to ASCII letter case; the first of
//    duplicate sections or keys is the one read and written;
//  - blanks around keys and values are dropped, and a value enclosed in a matching pair of
//    double or single quotes loses them;
//  - writing a key replaces its value in place, a new key goes after the last key of its
//    section, a new section is appended to the file;
//  - writing a key without a value removes it; a missing key reads its default.
// Every other line of the file is kept byte for byte.
//
// Parsed files are cached and checked against the disk (time, size, inode) on each access,
// so reading thousands of keys parses the file once. A ProfileBatch collects writes to one
// file and replaces the file once, atomically, when it ends.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velt::platform {

// The parsed text of one file. Pure: no file-system access, so it can be fuzzed and tested
// directly.
class ProfileText {
  public:
    ProfileText();
    ~ProfileText();
    ProfileText(const ProfileText&) = delete;
    ProfileText& operator=(const ProfileText&) = delete;

    // Replaces the content with the parsed bytes. Never fails: any byte sequence is a file.
    void Parse(std::string_view bytes);
    // The file as bytes: unchanged lines exactly as read.
    std::string Serialize() const;

    // Looks a key up; false when the section or key does not exist.
    bool Get(std::string_view section, std::string_view key, std::string& value) const;
    // Whether an entry can be written so that it reads back as written: no line breaks
    // anywhere, a section name without ']' or surrounding blanks, a non-empty key without '='
    // or surrounding blanks that does not start with ';' or '['. Set refuses anything else.
    static bool CanStore(std::string_view section, std::string_view key, const std::string* value);
    // Sets (or with `value` null removes) a key. Returns true when the text changed. Values
    // with surrounding blanks or their own pair of quotes are written inside double quotes,
    // so they read back unchanged.
    bool Set(std::string_view section, std::string_view key, const std::string* value);
    // Removes a whole section (its header and lines). True when it existed.
    bool RemoveSection(std::string_view section);

    // Section names in file order (first occurrence of each), as spelt in the file.
    std::vector<std::string> Sections() const;
    // Key names of a section in file order, as spelt in the file (first occurrence of each).
    std::vector<std::string> Keys(std::string_view section) const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Reads a text value; `def` when the file, section or key is missing.
std::string ProfileGetString(const std::string& path, std::string_view section,
                             std::string_view key, std::string_view def);
// Reads a number with atol semantics (leading blanks, optional sign, digits; anything else
// ends the number; no digits gives 0); `def` when missing.
long ProfileGetNumber(const std::string& path, std::string_view section, std::string_view key,
                      long def);
// Writes a value ("key=value"); a null value removes the key. Creates the file when needed.
// False when the file cannot be written.
bool ProfileWriteString(const std::string& path, std::string_view section, std::string_view key,
                        const std::string* value);
bool ProfileWriteString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);
// Writes a number as decimal text ("%ld").
bool ProfileWriteNumber(const std::string& path, std::string_view section, std::string_view key,
                        long value);
bool ProfileRemoveSection(const std::string& path, std::string_view section);
std::vector<std::string> ProfileSections(const std::string& path);
std::vector<std::string> ProfileKeys(const std::string& path, std::string_view section);

// Drops every cached file (tests; after another program may have rewritten a file within
// the time resolution of the file system).
void ProfileForgetCache();

// While a reading of a file is alive, reads of that file use the text it had when the reading
// began instead of checking the disk again for each key: one consistent picture of a file
// read key by key, and one look at the disk instead of hundreds. Writes still see the disk.
class ProfileReading {
  public:
    explicit ProfileReading(const std::string& path);
    ~ProfileReading();
    ProfileReading(const ProfileReading&) = delete;
    ProfileReading& operator=(const ProfileReading&) = delete;

  private:
    std::string path_;
};

// While a batch for a file is alive, writes to that file change only the cached text; the
// file is replaced once, atomically, by Commit (or the destructor). When the file cannot be
// written, the batch knows it from the start and every write in it returns false, so a
// sequence of writes stops at its first key.
class ProfileBatch {
  public:
    explicit ProfileBatch(const std::string& path);
    ~ProfileBatch();
    ProfileBatch(const ProfileBatch&) = delete;
    ProfileBatch& operator=(const ProfileBatch&) = delete;

    // Writes the file if anything changed. True on success or when nothing changed.
    bool Commit();
    bool writable() const { return writable_; }

  private:
    std::string path_;
    bool writable_ = false;
    bool done_ = false;
};

}  // namespace velt::platform
