#include "tools/fake_control_port.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "tools/olconn97/json_text.h"

namespace olconn97::testing {

namespace {

using Clock = std::chrono::steady_clock;

// Polls `fd` for `events` until `deadline`; true when ready.
bool WaitFor(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    pollfd watched{fd, events, 0};
    const int ready = ::poll(&watched, 1, static_cast<int>(std::max<int64_t>(left.count(), 0)));
    if (ready < 0 && errno == EINTR) continue;
    return ready > 0;
  }
}

// A JSON string as the agent's writer gives it: '/' escaped too, bytes
// from 0x80 up as they are.
std::string AgentString(std::string_view text) {
  std::string escaped;
  for (char c : host::JsonEscape(text)) {
    if (c == '/') escaped += '\\';
    escaped += c;
  }
  return '"' + escaped + '"';
}

}  // namespace

FakeControlPort::FakeControlPort() {
  listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (listener_ < 0) return;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;  // a free one
  socklen_t length = sizeof address;
  if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener_, 4) != 0 ||
      ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    StopListening();
    return;
  }
  port_ = ntohs(address.sin_port);
}

FakeControlPort::~FakeControlPort() {
  DropClient();
  StopListening();
}

bool FakeControlPort::Accept(std::chrono::milliseconds wait) {
  if (listener_ < 0 || !WaitFor(listener_, POLLIN, Clock::now() + wait)) return false;
  const int accepted = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
  if (accepted < 0) return false;
  DropClient();
  frames_.clear();
  client_ = accepted;
  return true;
}

bool FakeControlPort::SendRaw(std::string_view bytes) {
  if (client_ < 0) return false;
  unsent_ += bytes;
  return WriteUnsent();
}

bool FakeControlPort::SendEvent(std::string_view type, const FakeCall& call,
                                std::optional<std::string_view> param) {
  return SendFrame(CallEventJson(type, call, param.value_or(call.peer_uri)));
}

bool FakeControlPort::SendResponse(bool ok, std::string_view data, std::string_view token) {
  std::string json = std::string("{\"response\":true,\"ok\":") + (ok ? "true" : "false") +
                     ",\"data\":" + AgentString(data);
  if (!token.empty()) json += ",\"token\":" + AgentString(token);
  return SendFrame(json + "}");
}

bool FakeControlPort::Flush(std::chrono::milliseconds wait) {
  const auto deadline = Clock::now() + wait;
  while (client_ >= 0 && !unsent_.empty()) {
    if (!WaitFor(client_, POLLOUT, deadline) || !WriteUnsent()) return false;
  }
  return client_ >= 0;
}

bool FakeControlPort::WriteUnsent() {
  while (!unsent_.empty()) {
    const ssize_t sent = ::send(client_, unsent_.data(), unsent_.size(), MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
    if (sent < 0) {
      DropClient();
      return false;
    }
    unsent_.erase(0, static_cast<size_t>(sent));
  }
  return true;
}

bool FakeControlPort::Receive() {
  char buffer[16384];
  for (;;) {
    const ssize_t got = ::recv(client_, buffer, sizeof buffer, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
    if (got <= 0) return false;  // closed, or reset
    std::vector<std::string> frames;
    const bool framed = reader_.Feed(std::string_view(buffer, static_cast<size_t>(got)), &frames);
    frames_.insert(frames_.end(), frames.begin(), frames.end());
    if (!framed) return false;
  }
}

std::optional<std::string> FakeControlPort::ReadFrame(std::chrono::milliseconds wait) {
  const auto deadline = Clock::now() + wait;
  while (frames_.empty() && client_ >= 0 && !reader_.lost()) {
    if (!WaitFor(client_, POLLIN, deadline)) break;
    if (!Receive()) break;
  }
  if (frames_.empty()) return std::nullopt;
  std::string frame = std::move(frames_.front());
  frames_.pop_front();
  return frame;
}

bool FakeControlPort::WaitForClientClose(std::chrono::milliseconds wait) {
  const auto deadline = Clock::now() + wait;
  while (client_ >= 0) {
    if (!WaitFor(client_, POLLIN, deadline)) return false;
    if (!Receive()) return !reader_.lost();
  }
  return true;
}

void FakeControlPort::DropClient() {
  if (client_ >= 0) ::close(client_);
  client_ = -1;
  unsent_.clear();
  reader_.Reset();
}

void FakeControlPort::StopListening() {
  if (listener_ >= 0) ::close(listener_);
  listener_ = -1;
}

std::string FakeControlPort::CallEventJson(std::string_view type, const FakeCall& call,
                                           std::string_view param) {
  std::string json = "{\"event\":true,\"type\":" + AgentString(type) +
                     ",\"class\":\"call\",\"accountaor\":" + AgentString(call.account) +
                     ",\"direction\":" + AgentString(call.direction) +
                     ",\"peeruri\":" + AgentString(call.peer_uri);
  if (!call.display_name.empty()) json += ",\"peerdisplayname\":" + AgentString(call.display_name);
  json += ",\"id\":" + AgentString(call.id);
  if (!param.empty()) json += ",\"param\":" + AgentString(param);
  return json + "}";
}

}  // namespace olconn97::testing
