// The SIP user agent's control port (baresip's ctrl_tcp module): one TCP
// connection carrying netstring-framed JSON, events pushed by the agent and
// our commands with their responses.
//
//   BaresipControl control("127.0.0.1", 4444, {.on_event = ..., .on_closed = ...});
//   ReconnectBackoff backoff;
//   for (;;) {
//     if (!control.connected() && backoff.Due(Now())) {
//       ConnectResult result = control.Connect(std::chrono::seconds(2));
//       if (result.connected) backoff.Connected(); else backoff.Failed(Now());
//     }
//     poll control.fd() (POLLIN, and POLLOUT while wants_write()) with at
//     most backoff.Remaining(Now()) while not connected;
//     control.ReadAvailable(); if writable, control.Flush();
//   }
//
// Everything runs on the caller's thread; nothing here sleeps or blocks
// except Connect, for at most its timeout. Handlers run inside
// ReadAvailable, Send and Flush; they may call Send and Close, not Connect,
// and must not destroy the connection object.
#ifndef OLCONN97_TOOLS_BARESIP_CONTROL_H_
#define OLCONN97_TOOLS_BARESIP_CONTROL_H_

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "netstring.h"

namespace host {

// One event as the agent reports it; a field the frame lacks is empty.
// (The records here give every member an initializer, so a designated
// initializer may name only some of them without a warning.)
struct SipEvent {
  std::string type{};               // "type": CALL_INCOMING, CALL_ESTABLISHED, CALL_CLOSED, ...
  std::string klass{};              // "class": call, register, mwi, application, VU_REPORT, other
  std::string id{};                 // "id": the call's SIP Call-ID, the key of a call
  std::string direction{};          // "direction": incoming or outgoing
  std::string peer_uri{};           // "peeruri"
  std::string peer_display_name{};  // "peerdisplayname"
  std::string param{};              // "param": the peer's URI on call set-up, a reason on close
  std::string account{};            // "accountaor": our own account's address

  bool operator==(const SipEvent&) const = default;
};

// The agent's answer to one of our commands.
struct SipResponse {
  bool ok = false;
  std::string data{};   // the command's output, or the reason it failed
  std::string token{};  // as sent with the command; empty when none was

  bool operator==(const SipResponse&) const = default;
};

// A frame that was skipped, and why (one line).
struct ControlProblem {
  std::string line{};

  bool operator==(const ControlProblem&) const = default;
};

using ControlMessage = std::variant<SipEvent, SipResponse, ControlProblem>;

// What one frame's payload says. Ill-formed UTF-8 inside a string (a
// caller's display name the agent passed through as it came) is replaced
// with U+FFFD rather than losing the call.
ControlMessage DecodeControlFrame(std::string_view payload);

struct ControlHandlers {
  std::function<void(const SipEvent&)> on_event{};
  std::function<void(const SipResponse&)> on_response{};
  std::function<void(const ControlProblem&)> on_problem{};
  // The connection closed other than by Close(): the peer closed it, the
  // framing was lost, or reading or writing failed. One line.
  std::function<void(const std::string& reason)> on_closed{};
};

struct ConnectResult {
  bool connected = false;
  std::string error{};  // one line when not connected
};

enum class SendOutcome {
  kSent,          // written, or queued until the socket takes it (wants_write)
  kNotConnected,  // nothing sent
  kRefused,       // text the agent would cut short or misread; nothing sent
  kClosed,        // writing failed: the connection is closed, on_closed told
};

class BaresipControl {
 public:
  // The agent runs each command as the line "<command> <params>" cut at
  // this many bytes; a longer one would run cut short, so it is refused.
  static constexpr size_t kMaxCommandLine = 1023;
  // Queued command bytes beyond this mean the agent no longer reads.
  static constexpr size_t kMaxQueued = 1 << 20;

  BaresipControl(std::string host, uint16_t port, ControlHandlers handlers = {});
  ~BaresipControl();
  BaresipControl(const BaresipControl&) = delete;
  BaresipControl& operator=(const BaresipControl&) = delete;

  // Closes any connection, then connects, waiting at most `timeout`.
  ConnectResult Connect(std::chrono::milliseconds timeout);
  bool connected() const { return fd_ >= 0; }
  // The socket for the caller's poll loop; -1 when not connected.
  int fd() const { return fd_; }
  // "host:port", for messages.
  std::string address() const;

  // Reads what the socket holds without blocking and hands out each frame's
  // event, response or problem. Returns false when the connection is (or
  // was already) closed; on_closed was told if it closed here. Reads at
  // most a bounded amount per call, so a flooding peer cannot starve the
  // caller's loop: poll again.
  bool ReadAvailable();

  // Sends {"command":..,"params":..,"token":..} as one frame; "params" and
  // "token" are left out when empty. Each text is JSON string data, so
  // quotes, ';' or "$(...)" in a number stay part of it. Refused: an empty
  // command, ill-formed UTF-8 or a NUL (the agent reads C strings and would
  // run what comes before it), a command line over kMaxCommandLine.
  SendOutcome Send(std::string_view command, std::string_view params = {},
                   std::string_view token = {});
  // True while queued bytes wait for the socket to become writable.
  bool wants_write() const { return !queued_.empty(); }
  // Writes what is queued, as far as the socket takes it; false when the
  // connection is closed.
  bool Flush();

  // Closes the connection without telling on_closed; no-op when closed.
  void Close();

 private:
  void CloseFor(const std::string& reason);
  void Dispatch(std::string_view payload);

  std::string host_;
  uint16_t port_;
  ControlHandlers handlers_;
  int fd_ = -1;
  // Bumped by every close, so a read loop notices a handler closed the
  // connection under it.
  uint64_t generation_ = 0;
  NetstringReader reader_;
  std::string queued_;
};

// When to try the control port again: 0.5 s after a failure, doubling to
// 30 s, back to 0.5 s after a connection succeeded. The caller passes the
// time and polls for Remaining(); nothing here reads a clock or sleeps.
// A connection that drops counts as a failure.
class ReconnectBackoff {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kFirstDelay{500};
  static constexpr std::chrono::milliseconds kLongestDelay{30000};

  void Failed(Clock::time_point now);
  void Connected();
  // True when an attempt may be made: nothing failed yet, or the delay ran out.
  bool Due(Clock::time_point now) const;
  // The time left before the next attempt is due, rounded up to whole
  // milliseconds (a poll that wakes early would spin); zero when due.
  std::chrono::milliseconds Remaining(Clock::time_point now) const;
  // The wait the last failure set; zero before any.
  std::chrono::milliseconds delay() const { return delay_; }

 private:
  std::chrono::milliseconds delay_{0};
  std::optional<Clock::time_point> due_;
};

}  // namespace host

#endif  // OLCONN97_TOOLS_BARESIP_CONTROL_H_
