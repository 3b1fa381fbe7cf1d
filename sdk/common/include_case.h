// Sources written on Windows name their headers in any letter case ("Resource.h" for
// resource.h). The host compiler looks names up exactly, so a header it misses is looked up
// again without regard to case, and a link of the spelling asked for is put in a directory
// of our own that is searched last. The compile is then retried.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace nimra {

class IncludeCaseShadow {
  public:
    IncludeCaseShadow() = default;
    ~IncludeCaseShadow();
    IncludeCaseShadow(const IncludeCaseShadow&) = delete;
    IncludeCaseShadow& operator=(const IncludeCaseShadow&) = delete;

    // Reads the host's messages for headers it could not find and links each that exists in
    // another letter case (looked for beside the including file, then in `includeDirs`).
    // True when a new link was made, so that another attempt can get further.
    bool LinkMissing(std::string_view hostMessages, const std::vector<std::string>& includeDirs);

    // The switch that adds the directory of links to the search ("" while there is none).
    std::string SearchFlag() const { return dir_.empty() ? "" : "-I" + dir_; }
    // A name the host gave for a file inside the directory of links becomes the real file's;
    // other names are returned unchanged.
    std::string RealName(const std::string& name) const;
    // The host's messages with every name inside the directory of links replaced.
    std::string RealNamesIn(std::string_view hostMessages) const;

  private:
    bool Link(const std::string& at, const std::string& target);

    // A header tree reached through a link is linked file by file; this bounds the rounds.
    static constexpr size_t kMostLinks = 256;

    std::string dir_;
    std::vector<std::string> linked_;  // the links made, absolute
};

}  // namespace nimra
