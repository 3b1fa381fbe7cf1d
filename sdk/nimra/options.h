// The compiler's command line and what each switch becomes for the host compiler.
#pragma once

#include <string>
#include <vector>

namespace nimra {

struct SourceName {
    std::string given;  // as written, '\' turned into '/': names the default object
    std::string path;   // the file on disk
};

struct CompileOptions {
    std::vector<std::string> hostFlags;    // in the order given
    std::vector<std::string> includeDirs;  // the -I directories, host paths
    std::vector<SourceName> sources;
    std::string output;            // -Fo, host path; "" for the default
    bool dependencies = false;     // -M
    bool assemblyListing = false;  // -S
};

// Reads the switches (see the table in options.cpp). False with `error` set on a switch we
// do not know or a malformed one.
bool ParseCompileOptions(const std::vector<std::string>& args, CompileOptions& options,
                         std::string& error);

}  // namespace nimra
