// The local request transport on Unix-domain stream sockets.
#include "support/ipc.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace tama::ipc {

namespace {

constexpr uint32_t kMaxFrame = 16u << 20;

}  // namespace

bool PrivateFolder(const std::string& path, std::string& error) {
  struct stat st{};
  if (lstat(path.c_str(), &st) != 0) {
    // another run (or a --send) may make the folder between the look and the mkdir: take it then
    // as found, checked below like any existing one
    if (errno != ENOENT || (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) || lstat(path.c_str(), &st) != 0) {
      error = path + ": " + std::strerror(errno);
      return false;
    }
  }
  if (!S_ISDIR(st.st_mode) || st.st_uid != getuid()) {
    error = path + ": not a folder of this user";
    return false;
  }
  if ((st.st_mode & 077) != 0 && chmod(path.c_str(), 0700) != 0) {
    error = path + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

namespace {

bool FillAddress(const std::string& path, sockaddr_un& addr, std::string& error) {
  std::memset(&addr, 0, sizeof addr);
  addr.sun_family = AF_UNIX;
  if (path.size() >= sizeof addr.sun_path) {
    error = path + ": the name is too long";
    return false;
  }
  std::memcpy(addr.sun_path, path.data(), path.size());
  return true;
}

// Waits until the descriptor is ready for the events; false on time-out.
bool WaitFor(int fd, short events, int timeoutMs) {
  pollfd p{fd, events, 0};
  for (;;) {
    int n = poll(&p, 1, timeoutMs);
    if (n > 0) return true;
    if (n == 0) return false;
    if (errno != EINTR) return false;
  }
}

bool ReadAll(int fd, char* buf, size_t n, int timeoutMs) {
  while (n > 0) {
    if (!WaitFor(fd, POLLIN, timeoutMs)) return false;
    ssize_t r = read(fd, buf, n);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    buf += r;
    n -= static_cast<size_t>(r);
  }
  return true;
}

bool WriteAll(int fd, const char* buf, size_t n) {
  while (n > 0) {
    ssize_t w = send(fd, buf, n, MSG_NOSIGNAL);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    buf += w;
    n -= static_cast<size_t>(w);
  }
  return true;
}

bool WriteFrame(int fd, std::string_view s) {
  const uint32_t n = static_cast<uint32_t>(s.size());
  const unsigned char len[4] = {static_cast<unsigned char>(n >> 24), static_cast<unsigned char>(n >> 16),
                                static_cast<unsigned char>(n >> 8), static_cast<unsigned char>(n)};
  return WriteAll(fd, reinterpret_cast<const char*>(len), 4) && WriteAll(fd, s.data(), s.size());
}

bool ReadFrame(int fd, std::string& s, int timeoutMs) {
  unsigned char len[4];
  if (!ReadAll(fd, reinterpret_cast<char*>(len), 4, timeoutMs)) return false;
  const uint32_t n = (uint32_t{len[0]} << 24) | (uint32_t{len[1]} << 16) | (uint32_t{len[2]} << 8) | len[3];
  if (n > kMaxFrame) return false;
  s.resize(n);
  return n == 0 || ReadAll(fd, s.data(), n, timeoutMs);
}

}  // namespace

int ConnectTo(const std::string& path, std::string& error, bool* refused) {
  if (refused) *refused = false;
  sockaddr_un addr;
  if (!FillAddress(path, addr, error)) return -1;
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    error = std::strerror(errno);
    return -1;
  }
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    const int e = errno;
    error = path + ": " + std::strerror(e);
    if (refused) *refused = e == ECONNREFUSED;
    close(fd);
    return -1;
  }
  return fd;
}

bool WriteRequest(int fd, std::string_view topic, std::string_view data) {
  return WriteFrame(fd, topic) && WriteFrame(fd, data);
}

std::string RuntimeFolder(std::string& error) {
  const char* xdg = std::getenv("XDG_RUNTIME_DIR");
  std::string base;
  if (xdg && *xdg) {
    struct stat st{};
    if (stat(xdg, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == getuid() && (st.st_mode & 077) == 0) base = xdg;
  }
  std::string path;
  if (!base.empty()) {
    path = base + "/tamakazu";
  } else {
    const char* tmp = std::getenv("TMPDIR");
    path = std::string(tmp && *tmp ? tmp : "/tmp") + "/tamakazu-" + std::to_string(getuid());
  }
  if (!PrivateFolder(path, error)) return "";
  return path;
}

std::string SocketPath(std::string_view folder, std::string_view service) {
  std::string name;
  for (char c : service)
    if (c != '/' && c != 0) name += c;
  if (name.empty() || name == "." || name == "..") name = "_" + name;
  return std::string(folder) + "/" + name + ".sock";
}

int Listen(std::string_view service, std::string& error) {
  const std::string folder = RuntimeFolder(error);
  if (folder.empty()) return -1;
  return ListenAt(SocketPath(folder, service), error);
}

int ListenAt(const std::string& path, std::string& error) {
  sockaddr_un addr;
  if (!FillAddress(path, addr, error)) return -1;
  struct stat st{};
  if (lstat(path.c_str(), &st) == 0) {
    if (!S_ISSOCK(st.st_mode)) {
      error = path + ": not a socket";
      return -1;
    }
    std::string why;
    int live = ConnectTo(path, why);
    if (live >= 0) {
      close(live);
      error = path + ": the service is in use";
      return -1;
    }
    unlink(path.c_str());  // stale: nobody accepts on it
  }
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) {
    error = std::strerror(errno);
    return -1;
  }
  // the socket is made 0600 from the start: no moment when others could connect
  const mode_t old = umask(077);
  const int bound = bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  umask(old);
  if (bound != 0 || listen(fd, 16) != 0) {
    error = path + ": " + std::strerror(errno);
    close(fd);
    return -1;
  }
  chmod(path.c_str(), 0600);
  return fd;
}

void StopListening(int fd, std::string_view service) {
  if (fd < 0) return;
  // while this server lives nobody else takes its name over: the file is ours
  std::string error;
  const std::string folder = RuntimeFolder(error);
  if (!folder.empty()) unlink(SocketPath(folder, service).c_str());
  close(fd);
}

bool Accept(int listenFd, TRequest& request) {
  int fd = accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
  if (fd < 0) return false;
  ucred cred{};
  socklen_t len = sizeof cred;
  if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0 || cred.uid != getuid()) {
    close(fd);
    return false;
  }
  request.fd = fd;
  if (!ReadFrame(fd, request.topic, 2000) || !ReadFrame(fd, request.data, 2000)) {
    close(fd);
    request.fd = -1;
    return false;
  }
  return true;
}

void Reply(TRequest& request, bool ack) {
  if (request.fd < 0) return;
  const char b = ack ? 1 : 0;
  WriteAll(request.fd, &b, 1);
  close(request.fd);
  request.fd = -1;
}

int Send(std::string_view service, std::string_view topic, std::string_view data, int timeoutMs, std::string& error) {
  const std::string folder = RuntimeFolder(error);
  if (folder.empty()) return -1;
  int fd = ConnectTo(SocketPath(folder, service), error);
  if (fd < 0) return -1;
  int result = -1;
  char b = 0;
  if (!WriteRequest(fd, topic, data)) {
    error = "the request could not be sent";
  } else if (timeoutMs < 0) {
    result = 1;
  } else if (!ReadAll(fd, &b, 1, timeoutMs)) {
    error = "no acknowledgement";
  } else {
    result = b ? 1 : 0;
  }
  close(fd);
  return result;
}

}  // namespace tama::ipc
