#include "shell/file_helpers.h"

#include <ctime>

#include "platform/files.h"
#include "shell/messages.h"
#include "shell/msgbox.h"

namespace velt {

namespace pf = velt::platform;

int FileExists(const std::string& name) {
    std::string path = pf::ResolveName(pf::MakeAbsolute(name));
    if (!pf::IsRegularFile(path)) return -1;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return -1;
    std::fclose(f);
    return 0;
}

bool IsDirectory(const std::string& name) { return pf::IsDirectory(pf::ResolveName(name)); }

int MoveFileAnyDrive(const std::string& from, const std::string& to) {
    return pf::MoveFile(pf::ResolveName(from), pf::ResolveName(to)) ? 0 : -1;
}

bool MakeReadOnly(const std::string& name) {
    return pf::SetReadOnly(pf::ResolveName(name), true);
}

int MakeWritable(const std::string& name) {
    if (pf::SetReadOnly(pf::ResolveName(name), false)) return 1;
    ShowCannotOpen(name);
    return 0;
}

FilePtr CreateOutputFile(const std::string& name) {
    std::string path = pf::ResolveName(name);
    if (pf::PathExists(path) && !AskYesNo(FormatText(GetMessageText(46), name.c_str())))
        return nullptr;
    FilePtr f(std::fopen(path.c_str(), "wb"));
    if (!f) ShowCannotOpen(name);
    return f;
}

std::string TimeStampText() {
    std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    return FormatText(GetMessageText(4078), t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour,
                      t.tm_min, t.tm_sec);
}

}  // namespace velt
