// Requests between programs of the same user on this machine: a Unix-domain
// stream socket per service in a private runtime folder (0700, the socket
// 0600; a peer of another user is refused by its credentials). One request a
// connection: the topic and the data, each as a 4-byte big-endian length and
// its bytes, answered by one byte (1 handled, 0 not).
#pragma once
#include <functional>
#include <string>
#include <string_view>

namespace tama::ipc {

// The private folder of the user's services (made when missing); empty with
// the reason when it cannot be made or is not private.
std::string RuntimeFolder(std::string& error);
// The socket of a service in that folder (the name with "/" and NUL taken out).
std::string SocketPath(std::string_view folder, std::string_view service);

// A server socket of a service: a stale socket (nobody accepts on it) is
// removed; a live one is never taken over. The descriptor, or -1 with the reason.
int Listen(std::string_view service, std::string& error);
// Closes the server socket and removes its file.
void StopListening(int fd, std::string_view service);

// A request read from a connection accepted on the server socket; false when
// the peer is another user or the frame is malformed (the connection is then
// closed). The reply is sent with Reply, which closes the connection.
struct TRequest {
  int fd = -1;
  std::string topic, data;
};
bool Accept(int listenFd, TRequest& request);
void Reply(TRequest& request, bool ack);

// Sends a request to a service and waits for its acknowledgement (up to
// timeoutMs; a negative time-out does not wait: 1 once the request is sent).
// 1 or 0 as the server answered, -1 when no server answered (the reason in
// error).
int Send(std::string_view service, std::string_view topic, std::string_view data, int timeoutMs, std::string& error);

// The same pieces on a socket of any path (services of their own naming):
// a private folder of this user made when missing (false with the reason);
// a server socket at the path (a stale one replaced, a live one kept); a
// connection to the path (-1 with the reason; `refused` tells a socket file
// that nobody accepts on); a request written on a connection.
bool PrivateFolder(const std::string& path, std::string& error);
int ListenAt(const std::string& path, std::string& error);
int ConnectTo(const std::string& path, std::string& error, bool* refused = nullptr);
bool WriteRequest(int fd, std::string_view topic, std::string_view data);

}  // namespace tama::ipc
