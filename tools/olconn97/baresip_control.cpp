#include "baresip_control.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

#include "json_value.h"
#include "utf8_text.h"

namespace host {

namespace {

// The event's members, as the agent names them.
struct EventField {
  std::string_view key;
  std::string SipEvent::*member;
};
constexpr EventField kEventFields[] = {
    {"type", &SipEvent::type},
    {"class", &SipEvent::klass},
    {"id", &SipEvent::id},
    {"direction", &SipEvent::direction},
    {"peeruri", &SipEvent::peer_uri},
    {"peerdisplayname", &SipEvent::peer_display_name},
    {"param", &SipEvent::param},
    {"accountaor", &SipEvent::account},
};

// The agent writes `true`; its own documentation shows "true", so both are
// taken.
bool IsSet(const JsonValue* flag) {
  return flag != nullptr && (flag->Bool() || (flag->IsString() && flag->String() == "true"));
}

ControlMessage DecodeEvent(const JsonValue& frame) {
  SipEvent event;
  for (const EventField& field : kEventFields) {
    const JsonValue* value = frame.Find(field.key);
    if (value == nullptr) continue;
    if (!value->IsString()) {
      return ControlProblem{"an event whose \"" + std::string(field.key) + "\" is not a string"};
    }
    event.*field.member = value->String();
  }
  if (event.type.empty()) return ControlProblem{"an event without a type"};
  return event;
}

ControlMessage DecodeResponse(const JsonValue& frame) {
  const JsonValue* ok = frame.Find("ok");
  if (ok == nullptr || !ok->IsBool()) return ControlProblem{"a response without \"ok\""};
  SipResponse response{.ok = ok->Bool()};
  for (auto [key, member] :
       {std::pair{"data", &SipResponse::data}, std::pair{"token", &SipResponse::token}}) {
    const JsonValue* value = frame.Find(key);
    if (value == nullptr) continue;
    if (!value->IsString()) {
      return ControlProblem{"a response whose \"" + std::string(key) + "\" is not a string"};
    }
    response.*member = value->String();
  }
  return response;
}

// True when the agent reads `text` as it is: well-formed UTF-8, no NUL.
bool AgentReadsWhole(std::string_view text) {
  for (size_t at = 0; at < text.size();) {
    const Utf8Sequence next = DecodeUtf8(text, at);
    if (!next.valid || next.code == 0) return false;
    at += next.length;
  }
  return true;
}

std::string ErrnoText(int error) { return std::strerror(error); }

// Connects one socket to `address`, polling until `deadline`. Returns the
// socket, or -1 with `error` set.
int ConnectTo(const addrinfo& address, std::chrono::steady_clock::time_point deadline,
              std::string* error) {
  const int fd = ::socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                          address.ai_protocol);
  if (fd < 0) {
    *error = ErrnoText(errno);
    return -1;
  }
  int status = ::connect(fd, address.ai_addr, address.ai_addrlen) == 0 ? 0 : errno;
  while (status == EINPROGRESS || status == EINTR) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd watched{fd, POLLOUT, 0};
    const int ready = left.count() > 0 ? ::poll(&watched, 1, static_cast<int>(left.count())) : 0;
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) {
      status = ready == 0 ? ETIMEDOUT : errno;
      break;
    }
    socklen_t length = sizeof status;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &status, &length) != 0) status = errno;
  }
  if (status != 0) {
    *error = status == ETIMEDOUT ? "no answer in time" : ErrnoText(status);
    ::close(fd);
    return -1;
  }
  // Commands are a few bytes each and a person waits on them.
  const int on = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  return fd;
}

}  // namespace

ControlMessage DecodeControlFrame(std::string_view payload) {
  JsonParseOptions options;
  options.replace_invalid_utf8_in_strings = true;
  const JsonParse parsed = ParseJson(payload, options);
  if (!parsed.ok) return ControlProblem{"a frame that is not JSON: " + parsed.error.Line()};
  if (!parsed.value.IsObject()) return ControlProblem{"a frame that is not a JSON object"};
  if (IsSet(parsed.value.Find("event"))) return DecodeEvent(parsed.value);
  if (IsSet(parsed.value.Find("response"))) return DecodeResponse(parsed.value);
  return ControlProblem{"a frame that is neither an event nor a response"};
}

BaresipControl::BaresipControl(std::string host, uint16_t port, ControlHandlers handlers)
    : host_(std::move(host)), port_(port), handlers_(std::move(handlers)) {}

BaresipControl::~BaresipControl() { Close(); }

std::string BaresipControl::address() const {
  const bool bracketed = host_.find(':') != std::string::npos;
  return (bracketed ? "[" + host_ + "]" : host_) + ":" + std::to_string(port_);
}

ConnectResult BaresipControl::Connect(std::chrono::milliseconds timeout) {
  Close();
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICSERV;
  addrinfo* found = nullptr;
  const int resolved = ::getaddrinfo(host_.c_str(), std::to_string(port_).c_str(), &hints, &found);
  if (resolved != 0) {
    return {false, "cannot find " + host_ + ": " + ::gai_strerror(resolved)};
  }
  std::string error = "no address";
  for (const addrinfo* address = found; address != nullptr && fd_ < 0; address = address->ai_next) {
    fd_ = ConnectTo(*address, deadline, &error);
  }
  ::freeaddrinfo(found);
  if (fd_ < 0) return {false, "cannot connect to " + address() + ": " + error};
  return {true, {}};
}

bool BaresipControl::ReadAvailable() {
  // Enough for many frames, little enough to come back to the loop soon.
  constexpr size_t kMaxPerCall = 4 * kMaxNetstringPayload;
  const uint64_t generation = generation_;
  char buffer[16384];
  std::vector<std::string> frames;
  for (size_t taken = 0; fd_ >= 0 && taken < kMaxPerCall;) {
    const ssize_t got = ::recv(fd_, buffer, sizeof buffer, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    if (got < 0) {
      CloseFor("the control connection to " + address() + " failed: " + ErrnoText(errno));
      break;
    }
    if (got == 0) {
      CloseFor("baresip closed the control connection " + address());
      break;
    }
    taken += static_cast<size_t>(got);
    frames.clear();
    const bool framed = reader_.Feed(std::string_view(buffer, static_cast<size_t>(got)), &frames);
    for (const std::string& frame : frames) {
      if (generation_ != generation) return false;
      Dispatch(frame);
    }
    if (generation_ != generation) return false;
    if (!framed) {
      CloseFor("framing lost on the control connection " + address() + ": " + reader_.error() +
               "; connection reset");
    }
  }
  return fd_ >= 0 && generation_ == generation;
}

void BaresipControl::Dispatch(std::string_view payload) {
  ControlMessage message = DecodeControlFrame(payload);
  if (auto* event = std::get_if<SipEvent>(&message)) {
    if (handlers_.on_event) handlers_.on_event(*event);
  } else if (auto* response = std::get_if<SipResponse>(&message)) {
    if (handlers_.on_response) handlers_.on_response(*response);
  } else if (handlers_.on_problem) {
    handlers_.on_problem(std::get<ControlProblem>(message));
  }
}

SendOutcome BaresipControl::Send(std::string_view command, std::string_view params,
                                 std::string_view token) {
  if (fd_ < 0) return SendOutcome::kNotConnected;
  const size_t line = command.size() + (params.empty() ? 0 : 1 + params.size());
  if (command.empty() || line > kMaxCommandLine || !AgentReadsWhole(command) ||
      !AgentReadsWhole(params) || !AgentReadsWhole(token)) {
    return SendOutcome::kRefused;
  }
  std::string frame;
  if (params.empty() && token.empty()) {
    frame = JsonStringObject({{"command", command}});
  } else if (token.empty()) {
    frame = JsonStringObject({{"command", command}, {"params", params}});
  } else if (params.empty()) {
    frame = JsonStringObject({{"command", command}, {"token", token}});
  } else {
    frame = JsonStringObject({{"command", command}, {"params", params}, {"token", token}});
  }
  if (queued_.size() + frame.size() > kMaxQueued) {
    CloseFor("baresip no longer reads the control connection " + address());
    return SendOutcome::kClosed;
  }
  queued_ += Netstring(frame);
  return Flush() ? SendOutcome::kSent : SendOutcome::kClosed;
}

bool BaresipControl::Flush() {
  while (fd_ >= 0 && !queued_.empty()) {
    // MSG_NOSIGNAL: a peer that went away must not kill the host with SIGPIPE.
    const ssize_t sent = ::send(fd_, queued_.data(), queued_.size(), MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    if (sent < 0) {
      CloseFor("writing to the control connection " + address() + " failed: " + ErrnoText(errno));
      break;
    }
    queued_.erase(0, static_cast<size_t>(sent));
  }
  return fd_ >= 0;
}

void BaresipControl::Close() {
  if (fd_ < 0) return;
  ::close(fd_);
  fd_ = -1;
  ++generation_;
  reader_.Reset();
  queued_.clear();
}

void BaresipControl::CloseFor(const std::string& reason) {
  Close();
  if (handlers_.on_closed) handlers_.on_closed(reason);
}

void ReconnectBackoff::Failed(Clock::time_point now) {
  delay_ = delay_.count() == 0 ? kFirstDelay : std::min(delay_ * 2, kLongestDelay);
  due_ = now + delay_;
}

void ReconnectBackoff::Connected() {
  delay_ = std::chrono::milliseconds(0);
  due_.reset();
}

bool ReconnectBackoff::Due(Clock::time_point now) const { return !due_ || now >= *due_; }

std::chrono::milliseconds ReconnectBackoff::Remaining(Clock::time_point now) const {
  if (Due(now)) return std::chrono::milliseconds(0);
  return std::chrono::ceil<std::chrono::milliseconds>(*due_ - now);
}

}  // namespace host
