// A stand-in for the SIP user agent's control port (baresip's ctrl_tcp), for
// tests and benchmarks of the phone host: a real listening socket on
// 127.0.0.1 at a free port, one client at a time as the agent keeps it,
// events written as the agent writes them, the client's commands read back.
//
//   FakeControlPort agent;
//   host::BaresipControl control("127.0.0.1", agent.port(), handlers);
//   control.Connect(...);
//   agent.Accept();
//   agent.SendEvent("CALL_INCOMING", FakeCall{.display_name = "Ann"});
//   ... poll control.fd(), control.ReadAvailable() ...
//   std::optional<std::string> command = agent.ReadFrame();
//
// Every wait is bounded (kWait unless given), so a test that goes wrong
// fails instead of hanging; nothing is timed. One thread per object: a
// benchmark may drive it from a thread of its own.
#ifndef OLCONN97_TESTS_TOOLS_FAKE_CONTROL_PORT_H_
#define OLCONN97_TESTS_TOOLS_FAKE_CONTROL_PORT_H_

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "tools/olconn97/netstring.h"

namespace olconn97::testing {

// The call an event is about; the defaults are a plausible incoming call.
struct FakeCall {
  std::string id = "1234abcd";
  std::string peer_uri = "sip:+33123456789@127.0.0.1";
  std::string display_name{};  // left out of the event when empty, as the agent does
  std::string direction = "incoming";
  std::string account = "sip:callee@127.0.0.1";
};

class FakeControlPort {
 public:
  static constexpr std::chrono::milliseconds kWait{5000};

  // Listens at once; listening() tells whether it could.
  FakeControlPort();
  ~FakeControlPort();
  FakeControlPort(const FakeControlPort&) = delete;
  FakeControlPort& operator=(const FakeControlPort&) = delete;

  bool listening() const { return listener_ >= 0; }
  uint16_t port() const { return port_; }
  bool has_client() const { return client_ >= 0; }

  // Takes the next connection, dropping an earlier client as the agent
  // does. False when none came within `wait`.
  bool Accept(std::chrono::milliseconds wait = kWait);

  // Writes `bytes` as they are, as far as the socket takes them now; the
  // rest waits for later writes or Flush. False without a client or when
  // it went away.
  bool SendRaw(std::string_view bytes);
  bool SendFrame(std::string_view payload) { return SendRaw(host::Netstring(payload)); }
  // An event about `call`; `param` defaults to the peer's URI, as on
  // CALL_INCOMING and CALL_ESTABLISHED (CALL_CLOSED carries a reason).
  bool SendEvent(std::string_view type, const FakeCall& call = {},
                 std::optional<std::string_view> param = std::nullopt);
  bool SendResponse(bool ok, std::string_view data, std::string_view token);
  // Waits at most `wait` until everything sent is written.
  bool Flush(std::chrono::milliseconds wait = kWait);
  size_t unsent() const { return unsent_.size(); }

  // The payload of the client's next frame, waiting at most `wait`;
  // nullopt when none came, the client went away or broke the framing.
  std::optional<std::string> ReadFrame(std::chrono::milliseconds wait = kWait);
  // Waits at most `wait` for the client to close its end; frames it sends
  // meanwhile are kept for ReadFrame.
  bool WaitForClientClose(std::chrono::milliseconds wait = kWait);

  // Closes the client's connection, as the agent does when it quits.
  void DropClient();
  // Refuses connections from now on.
  void StopListening();

  // The JSON the agent writes for a call event: its members in the agent's
  // order, '/' escaped as the agent's JSON writer does.
  static std::string CallEventJson(std::string_view type, const FakeCall& call,
                                   std::string_view param);

 private:
  // Reads what the client sent into frames_; false when it closed.
  bool Receive();
  bool WriteUnsent();

  int listener_ = -1;
  uint16_t port_ = 0;
  int client_ = -1;
  std::string unsent_;
  host::NetstringReader reader_;
  std::deque<std::string> frames_;
};

}  // namespace olconn97::testing

#endif  // OLCONN97_TESTS_TOOLS_FAKE_CONTROL_PORT_H_
