#include "platform/instance_channel.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace velt::platform {

namespace {

using Clock = std::chrono::steady_clock;

class Fd {
  public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    int Release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void Reset(int fd) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }

  private:
    int fd_;
};

int MillisecondsLeft(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

bool WaitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        struct pollfd p {
            fd, events, 0
        };
        int n = ::poll(&p, 1, MillisecondsLeft(deadline));
        if (n > 0) return true;
        if (n == 0) return false;
        if (errno != EINTR) return false;
    }
}

// Reads exactly `size` bytes from a non-blocking socket before the deadline.
bool ReadExact(int fd, unsigned char* buf, std::size_t size, Clock::time_point deadline) {
    std::size_t got = 0;
    while (got < size) {
        ssize_t n = ::recv(fd, buf + got, size - got, MSG_DONTWAIT);
        if (n > 0) {
            got += static_cast<std::size_t>(n);
            continue;
        }
        if (n == 0) return false;  // the peer closed early
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) return false;
        if (!WaitFor(fd, POLLIN, deadline)) return false;
    }
    return true;
}

// Writes all bytes before the deadline; a vanished peer is a failure, never a SIGPIPE.
bool WriteExact(int fd, const unsigned char* buf, std::size_t size, Clock::time_point deadline) {
    std::size_t sent = 0;
    while (sent < size) {
        ssize_t n = ::send(fd, buf + sent, size - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return false;
        if (!WaitFor(fd, POLLOUT, deadline)) return false;
    }
    return true;
}

bool FillAddress(const std::string& path, sockaddr_un& addr) {
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof addr.sun_path) return false;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    return true;
}

enum class Connect { Connected, Busy, Nobody };

// Connects to the socket. A listener whose queue is full makes the connect fail with EAGAIN;
// that is retried until the deadline and then reported as busy.
Connect ConnectTo(const std::string& path, Clock::time_point deadline, Fd& out) {
    sockaddr_un addr;
    if (!FillAddress(path, addr)) return Connect::Nobody;
    for (;;) {
        Fd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
        if (fd.get() < 0) return Connect::Nobody;
        if (::connect(fd.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
            out.Reset(fd.Release());
            return Connect::Connected;
        }
        if (errno == EINTR) continue;
        if (errno == EINPROGRESS) {
            if (!WaitFor(fd.get(), POLLOUT, deadline)) return Connect::Busy;
            int err = 0;
            socklen_t len = sizeof err;
            if (::getsockopt(fd.get(), SOL_SOCKET, SO_ERROR, &err, &len) == 0 && err == 0) {
                out.Reset(fd.Release());
                return Connect::Connected;
            }
            return Connect::Nobody;
        }
        if (errno != EAGAIN) return Connect::Nobody;
        if (Clock::now() >= deadline) return Connect::Busy;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// A short tag of the runtime directory, so that different directories get different blocks.
std::string DirectoryTag(const std::string& dir) {
    std::uint32_t h = 2166136261u;  // FNV-1a
    for (unsigned char c : dir) {
        h ^= c;
        h *= 16777619u;
    }
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08x", h);
    return buf;
}

bool LockWithin(int fd, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
        if (errno != EWOULDBLOCK && errno != EINTR) return false;
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

}  // namespace

std::string InstanceRuntimeDirectory() {
    if (const char* x = std::getenv("XDG_RUNTIME_DIR"); x && x[0] == '/') {
        std::string dir = x;
        while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
        struct stat st;
        if (::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return dir;
    }
    // The fallback lives in a directory everybody can write to: it must be ours and private,
    // or another user could stand in for the instance.
    std::string dir = "/tmp/velt-" + std::to_string(::geteuid());
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return "";
    struct stat st;
    if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() ||
        (st.st_mode & 077) != 0)
        return "";
    return dir;
}

std::string InstanceSocketPath() {
    std::string dir = InstanceRuntimeDirectory();
    if (dir.empty()) return "";
    return dir == "/" ? "/velt.sock" : dir + "/velt.sock";
}

std::string SharedBlockName() {
    std::string name = "/velt-" + std::to_string(::geteuid());
    std::string dir = InstanceRuntimeDirectory();
    if (!dir.empty()) name += "-" + DirectoryTag(dir);
    return name;
}

// ---- SharedBlock

SharedBlock::~SharedBlock() {
    Close();
}

bool SharedBlock::Open() {
    if (data_) return true;
    const std::string name = SharedBlockName();
    Fd fd(::shm_open(name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (fd.get() < 0) return false;
    struct stat st;
    if (::fstat(fd.get(), &st) != 0 || st.st_uid != ::geteuid()) return false;
    if (st.st_size < static_cast<off_t>(kSharedBlockSize) &&
        ::ftruncate(fd.get(), static_cast<off_t>(kSharedBlockSize)) != 0)
        return false;
    void* p = ::mmap(nullptr, kSharedBlockMapped, PROT_READ | PROT_WRITE, MAP_SHARED, fd.get(), 0);
    if (p == MAP_FAILED) return false;
    data_ = static_cast<char*>(p);
    fd_ = fd.Release();
    return true;
}

void SharedBlock::Close(bool remove) {
    if (locked_) Unlock();
    if (data_) ::munmap(data_, kSharedBlockMapped);
    data_ = nullptr;
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (remove) ::shm_unlink(SharedBlockName().c_str());
}

bool SharedBlock::WriteText(std::string_view text) {
    if (!data_ || text.size() >= kSharedBlockMapped || text.find('\0') != std::string_view::npos)
        return false;
    std::memcpy(data_, text.data(), text.size());
    data_[text.size()] = '\0';
    return true;
}

bool SharedBlock::ReadText(std::string& out) const {
    if (!data_) return false;
    char copy[kSharedBlockMapped];
    std::memcpy(copy, data_, sizeof copy);
    const void* nul = std::memchr(copy, '\0', sizeof copy);
    if (!nul) return false;
    out.assign(copy, static_cast<std::size_t>(static_cast<const char*>(nul) - copy));
    return true;
}

bool SharedBlock::Lock(int timeoutMs) {
    if (fd_ < 0) return false;
    if (locked_) return true;
    locked_ = LockWithin(fd_, timeoutMs);
    return locked_;
}

void SharedBlock::Unlock() {
    if (fd_ >= 0 && locked_) ::flock(fd_, LOCK_UN);
    locked_ = false;
}

// ---- InstanceServer

InstanceServer::~InstanceServer() {
    Close();
}

ListenResult InstanceServer::Listen() {
    if (fd_ >= 0) return ListenResult::Listening;
    const std::string dir = InstanceRuntimeDirectory();
    if (dir.empty()) return ListenResult::Failed;
    const std::string path = InstanceSocketPath();
    sockaddr_un addr;
    if (!FillAddress(path, addr)) return ListenResult::Failed;

    // Held from the liveness check until the socket listens: two starts at once would
    // otherwise both find the old socket dead and both bind.
    Fd lock(::open((dir + "/velt.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (lock.get() >= 0) LockWithin(lock.get(), 5000);

    Fd probe;
    const auto deadline = Clock::now() + std::chrono::milliseconds(500);
    if (ConnectTo(path, deadline, probe) != Connect::Nobody) return ListenResult::AnotherInstance;

    struct stat st;
    if (::lstat(path.c_str(), &st) == 0) {
        // Only a socket is ours to replace; anything else under that name is left alone.
        if (!S_ISSOCK(st.st_mode) || ::unlink(path.c_str()) != 0) return ListenResult::Failed;
    }
    Fd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (fd.get() < 0) return ListenResult::Failed;
    if (::bind(fd.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0)
        return ListenResult::Failed;
    ::chmod(path.c_str(), 0600);
    if (::listen(fd.get(), 16) != 0 || ::lstat(path.c_str(), &st) != 0) {
        ::unlink(path.c_str());
        return ListenResult::Failed;
    }
    dev_ = st.st_dev;
    ino_ = st.st_ino;
    path_ = path;
    fd_ = fd.Release();
    return ListenResult::Listening;
}

int InstanceServer::ProcessPending(const InstanceRequestHandler& handler, int requestWaitMs) {
    int answered = 0;
    while (fd_ >= 0) {
        int c = ::accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (c < 0) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            break;  // nothing more waiting (or the socket broke; the caller sees fd())
        }
        Fd conn(c);
        struct ucred cred;
        socklen_t len = sizeof cred;
        if (::getsockopt(c, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0 || cred.uid != ::geteuid())
            continue;
        unsigned char in[kRequestBytes];
        const auto deadline = Clock::now() + std::chrono::milliseconds(requestWaitMs);
        if (!ReadExact(c, in, sizeof in, deadline)) continue;
        InstanceRequest r;
        std::memcpy(&r.message, in, 4);
        std::memcpy(&r.wparam, in + 4, 8);
        std::memcpy(&r.lparam, in + 12, 8);
        std::int64_t reply = handler ? handler(r) : 0;
        unsigned char out[kReplyBytes];
        std::memcpy(out, &reply, sizeof out);
        // The reply fits any socket buffer; a peer that gave up simply misses it.
        WriteExact(c, out, sizeof out, Clock::now() + std::chrono::milliseconds(requestWaitMs));
        ++answered;
    }
    return answered;
}

void InstanceServer::Close() {
    if (fd_ < 0) return;
    ::close(fd_);
    fd_ = -1;
    struct stat st;
    if (::lstat(path_.c_str(), &st) == 0 && st.st_dev == dev_ && st.st_ino == ino_)
        ::unlink(path_.c_str());
    path_.clear();
}

// ---- clients

SendResult SendInstanceMessage(const InstanceRequest& request, std::int64_t& reply, int timeoutMs) {
    const std::string path = InstanceSocketPath();
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    Fd fd;
    switch (ConnectTo(path, deadline, fd)) {
        case Connect::Nobody:
            return SendResult::NoInstance;
        case Connect::Busy:
            return SendResult::NoAnswer;
        case Connect::Connected:
            break;
    }
    unsigned char out[kRequestBytes];
    std::memcpy(out, &request.message, 4);
    std::memcpy(out + 4, &request.wparam, 8);
    std::memcpy(out + 12, &request.lparam, 8);
    if (!WriteExact(fd.get(), out, sizeof out, deadline)) return SendResult::NoAnswer;
    unsigned char in[kReplyBytes];
    if (!ReadExact(fd.get(), in, sizeof in, deadline)) return SendResult::NoAnswer;
    std::memcpy(&reply, in, sizeof reply);
    return SendResult::Answered;
}

bool InstanceRunning() {
    Fd fd;
    return ConnectTo(InstanceSocketPath(), Clock::now() + std::chrono::milliseconds(500), fd) !=
           Connect::Nobody;
}

}  // namespace velt::platform
