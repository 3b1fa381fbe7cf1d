#include "link_options.h"

#include "host.h"

namespace nimra {

bool ParseLinkOptions(const std::vector<std::string>& args, LinkOptions& options,
                      std::string& error) {
    options = LinkOptions();
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.empty()) continue;
        if (arg[0] == '-' && arg.size() > 1) {
            std::string name = Lower(arg.substr(1));
            auto value = [&](std::string& into) {
                if (i + 1 >= args.size()) {
                    error = "option " + arg + " needs a value";
                    return false;
                }
                into = args[++i];
                return true;
            };
            std::string text;
            if (name == "o") {
                if (!value(text)) return false;
                options.output = ToSlashes(text);
            } else if (name == "s") {
                options.strip = true;
            } else if (name == "dll") {
                options.dll = true;
            } else if (name == "nounderscores") {
                options.noUnderscores = true;
            } else if (name == "subsystem") {
                if (!value(text)) return false;
                text = Lower(text);
                if (text != "console" && text != "windows") {
                    error = "unknown subsystem " + args[i];
                    return false;
                }
                options.subsystem = text;
            } else if (name == "map") {
                if (!value(text)) return false;
                options.map = ToSlashes(text);
            } else if (name == "entry") {
                if (!value(options.entry)) return false;
            } else if (arg == "-L") {
                if (!value(text)) return false;
                options.libDirs.push_back(ToSlashes(text));
            } else if (arg.compare(0, 2, "-L") == 0) {
                options.libDirs.push_back(ToSlashes(arg.substr(2)));
            } else {
                error = "unknown option " + arg;
                return false;
            }
            continue;
        }
        std::string path = ToSlashes(arg);
        std::string ext = Extension(path);
        if (ext == "obj" || ext == "o") {
            options.objects.push_back(path);
        } else if (ext == "lib" || ext == "a" || ext == "dll" || ext == "so") {
            options.libraries.push_back(path);
        } else if (ext == "res") {
            options.resources.push_back(path);
        } else {
            error = "do not know what to do with " + arg;
            return false;
        }
    }
    if (options.objects.empty()) {
        error = "no object files to link";
        return false;
    }
    if (options.output.empty()) {
        std::string first = BaseName(options.objects.front());
        options.output = first.substr(0, first.find_last_of('.')) + (options.dll ? ".dll" : ".exe");
    }
    return true;
}

}  // namespace nimra
