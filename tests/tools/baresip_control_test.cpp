// The phone host's side of the SIP user agent's control port: frames as
// the agent writes them become events and responses, what cannot be used
// is skipped with one line, a broken or closed stream closes the
// connection and says so, and commands go out as escaped data. The
// connection tests run against a real socket on the loopback interface.
#include "tools/olconn97/baresip_control.h"

#include <gtest/gtest.h>
#include <poll.h>

#include <functional>
#include <string>
#include <vector>

#include "tools/fake_control_port.h"
#include "tools/olconn97/json_value.h"

namespace olconn97::testing {
namespace {

using host::BaresipControl;
using host::ControlProblem;
using host::DecodeControlFrame;
using host::SendOutcome;
using host::SipEvent;
using host::SipResponse;

const std::string kFffd = "\xEF\xBF\xBD";
constexpr int kWaitMs = static_cast<int>(FakeControlPort::kWait.count());

template <typename T>
T Decoded(std::string_view payload) {
  host::ControlMessage message = DecodeControlFrame(payload);
  EXPECT_TRUE(std::holds_alternative<T>(message)) << payload;
  return std::holds_alternative<T>(message) ? std::get<T>(message) : T{};
}

TEST(ControlFrameTest, EventsReadAsTheAgentWritesThem) {
  FakeCall ann{.id = "1234abcd",
               .peer_uri = "sip:+33123456789@127.0.0.1;transport=udp",
               .display_name = "Ann \"Zo\xC3\xA9\""};
  EXPECT_EQ(Decoded<SipEvent>(
                FakeControlPort::CallEventJson("CALL_INCOMING", ann, "sip:+33123456789@127.0.0.1")),
            (SipEvent{.type = "CALL_INCOMING",
                      .klass = "call",
                      .id = "1234abcd",
                      .direction = "incoming",
                      .peer_uri = ann.peer_uri,
                      .peer_display_name = "Ann \"Zo\xC3\xA9\"",
                      .param = "sip:+33123456789@127.0.0.1",
                      .account = "sip:callee@127.0.0.1"}));
  // Without a call, and with the flag written as the agent's documentation shows it.
  EXPECT_EQ(Decoded<SipEvent>(R"({"event":"true","type":"REGISTER_OK","class":"register",)"
                              R"("accountaor":"sip:callee@127.0.0.1","param":"200 OK"})"),
            (SipEvent{.type = "REGISTER_OK",
                      .klass = "register",
                      .param = "200 OK",
                      .account = "sip:callee@127.0.0.1"}));
  // A caller's display name comes through the agent as the caller wrote it.
  EXPECT_EQ(Decoded<SipEvent>("{\"event\":true,\"type\":\"CALL_INCOMING\","
                              "\"peerdisplayname\":\"Zo\xE9\",\"id\":\"x\"}")
                .peer_display_name,
            "Zo" + kFffd);
}

TEST(ControlFrameTest, ResponsesCarryTheirOutcomeAndToken) {
  EXPECT_EQ(Decoded<SipResponse>(R"({"response":true,"ok":true,"data":"","token":"t1"})"),
            (SipResponse{.ok = true, .data = "", .token = "t1"}));
  EXPECT_EQ(Decoded<SipResponse>(R"({"response":true,"ok":false,"data":"No such call"})"),
            (SipResponse{.ok = false, .data = "No such call"}));
}

TEST(ControlFrameTest, WhatCannotBeUsedIsSkippedWithOneLine) {
  const char* kUnusable[] = {
      "",
      "not json",
      "{\"event\":true,\n\"type\":}",
      "[{\"event\":true,\"type\":\"CALL_INCOMING\"}]",
      "{}",
      "{\"event\":false,\"type\":\"CALL_INCOMING\"}",
      "{\"event\":true}",
      "{\"event\":true,\"type\":\"\"}",
      "{\"event\":true,\"type\":7}",
      "{\"event\":true,\"type\":\"CALL_INCOMING\",\"id\":{\"x\":1}}",
      "{\"response\":true,\"data\":\"\"}",
      "{\"response\":true,\"ok\":true,\"token\":5}",
  };
  for (const char* frame : kUnusable) {
    const std::string line = Decoded<ControlProblem>(frame).line;
    EXPECT_FALSE(line.empty()) << frame;
    EXPECT_EQ(line.find('\n'), std::string::npos) << line;
  }
}

class BaresipControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(agent_.listening());
    host::ConnectResult connected = control_.Connect(FakeControlPort::kWait);
    ASSERT_TRUE(connected.connected) << connected.error;
    ASSERT_TRUE(agent_.Accept());
  }

  // Reads once the socket has something; false when nothing came in time.
  bool ReadOnce() {
    pollfd watched{control_.fd(), POLLIN, 0};
    if (!control_.connected() || ::poll(&watched, 1, kWaitMs) <= 0) {
      return false;
    }
    control_.ReadAvailable();
    return true;
  }
  void ReadUntil(const std::function<bool()>& done) {
    while (!done()) ASSERT_TRUE(ReadOnce()) << "the connection waited in vain";
  }

  FakeControlPort agent_;
  std::vector<SipEvent> events_;
  std::vector<SipResponse> responses_;
  std::vector<std::string> problems_;
  std::vector<std::string> closed_;
  BaresipControl control_{
      "127.0.0.1", agent_.port(),
      host::ControlHandlers{
          .on_event = [this](const SipEvent& event) { events_.push_back(event); },
          .on_response = [this](const SipResponse& response) { responses_.push_back(response); },
          .on_problem =
              [this](const ControlProblem& problem) { problems_.push_back(problem.line); },
          .on_closed = [this](const std::string& reason) { closed_.push_back(reason); }}};
};

TEST_F(BaresipControlTest, FramesArriveWhateverTheWritesAndBadOnesAreSkipped) {
  const std::string incoming =
      host::Netstring(FakeControlPort::CallEventJson("CALL_INCOMING", {.id = "c1"}, "p"));
  ASSERT_TRUE(agent_.SendRaw(incoming.substr(0, 25)));
  ASSERT_TRUE(ReadOnce());
  EXPECT_TRUE(events_.empty());
  ASSERT_TRUE(agent_.SendRaw(incoming.substr(25)));
  ReadUntil([&] { return events_.size() == 1; });
  EXPECT_EQ(events_[0].id, "c1");

  // An established call and the answer to a command in one write, then a
  // frame of garbage between two events.
  ASSERT_TRUE(agent_.SendRaw(
      host::Netstring(FakeControlPort::CallEventJson("CALL_ESTABLISHED", {.id = "c1"}, "p")) +
      host::Netstring(R"({"response":true,"ok":true,"data":"","token":"t"})")));
  ReadUntil([&] { return responses_.size() == 1; });
  ASSERT_TRUE(agent_.SendFrame("{\"event\":tru"));
  ASSERT_TRUE(agent_.SendEvent("CALL_CLOSED", {.id = "c1"}, "Connection reset by peer"));
  ReadUntil([&] { return events_.size() == 3; });
  EXPECT_EQ(events_[1].type, "CALL_ESTABLISHED");
  EXPECT_EQ(events_[2].param, "Connection reset by peer");
  ASSERT_EQ(problems_.size(), 1u);
  EXPECT_NE(problems_[0].find("not JSON"), std::string::npos) << problems_[0];
  EXPECT_TRUE(control_.connected());
  EXPECT_TRUE(closed_.empty());
}

TEST_F(BaresipControlTest, AnOversizedFrameResetsTheConnectionAndSaysSo) {
  ASSERT_TRUE(agent_.SendRaw(host::Netstring(std::string(70 * 1024, 'x'))));
  ReadUntil([&] { return !closed_.empty(); });
  EXPECT_NE(closed_[0].find("framing lost"), std::string::npos) << closed_[0];
  EXPECT_NE(closed_[0].find("longer than 65536 bytes"), std::string::npos) << closed_[0];
  EXPECT_EQ(control_.fd(), -1);
  EXPECT_TRUE(agent_.WaitForClientClose());
  EXPECT_FALSE(control_.ReadAvailable());
  EXPECT_EQ(control_.Send("hangup"), SendOutcome::kNotConnected);
  EXPECT_EQ(closed_.size(), 1u);
  EXPECT_TRUE(events_.empty());
}

TEST_F(BaresipControlTest, TheAgentClosingIsToldAfterItsLastEventAndAReconnectIsServed) {
  ASSERT_TRUE(agent_.SendEvent("CALL_CLOSED"));
  agent_.DropClient();
  ReadUntil([&] { return !closed_.empty(); });
  EXPECT_EQ(events_.size(), 1u);
  EXPECT_NE(closed_[0].find("baresip closed the control connection"), std::string::npos);
  EXPECT_FALSE(control_.connected());

  ASSERT_TRUE(control_.Connect(FakeControlPort::kWait).connected);
  ASSERT_TRUE(agent_.Accept());
  ASSERT_TRUE(agent_.SendEvent("CALL_INCOMING"));
  ReadUntil([&] { return events_.size() == 2; });

  agent_.StopListening();
  BaresipControl nobody_there("127.0.0.1", agent_.port());
  host::ConnectResult refused = nobody_there.Connect(FakeControlPort::kWait);
  EXPECT_FALSE(refused.connected);
  EXPECT_EQ(refused.error.find("cannot connect to 127.0.0.1:" + std::to_string(agent_.port())), 0u)
      << refused.error;
}

TEST_F(BaresipControlTest, AHandlerMayCloseTheConnectionInTheMiddleOfARead) {
  BaresipControl closing("127.0.0.1", agent_.port(), {.on_event = [&](const SipEvent& event) {
                           events_.push_back(event);
                           closing.Close();
                         }});
  ASSERT_TRUE(closing.Connect(FakeControlPort::kWait).connected);
  ASSERT_TRUE(agent_.Accept());
  ASSERT_TRUE(agent_.SendRaw(host::Netstring(FakeControlPort::CallEventJson("A", {}, "")) +
                             host::Netstring(FakeControlPort::CallEventJson("B", {}, ""))));
  pollfd watched{closing.fd(), POLLIN, 0};
  ASSERT_EQ(::poll(&watched, 1, kWaitMs), 1);
  EXPECT_FALSE(closing.ReadAvailable());
  ASSERT_EQ(events_.size(), 1u);
  EXPECT_EQ(events_[0].type, "A");
}

TEST_F(BaresipControlTest, CommandsGoOutAsEscapedData) {
  const std::string number = "+33 \"1\";$(rm -rf ~)\\";
  ASSERT_EQ(control_.Send("dial", number, "t1"), SendOutcome::kSent);
  EXPECT_EQ(agent_.ReadFrame(),
            R"({"command":"dial","params":"+33 \"1\";$(rm -rf ~)\\","token":"t1"})");
  ASSERT_EQ(control_.Send("hangup"), SendOutcome::kSent);
  EXPECT_EQ(agent_.ReadFrame(), R"({"command":"hangup"})");

  // What the agent would cut short or misread is not sent at all.
  const std::string longest(BaresipControl::kMaxCommandLine - 5, '1');
  EXPECT_EQ(control_.Send("dial", std::string("123\0"
                                              "456",
                                              7)),
            SendOutcome::kRefused);
  EXPECT_EQ(control_.Send("dial", "Zo\xE9"), SendOutcome::kRefused);
  EXPECT_EQ(control_.Send("", "x"), SendOutcome::kRefused);
  EXPECT_EQ(control_.Send("dial", longest + "1"), SendOutcome::kRefused);
  ASSERT_EQ(control_.Send("dial", longest), SendOutcome::kSent);
  std::optional<std::string> sent = agent_.ReadFrame();
  ASSERT_TRUE(sent.has_value());
  EXPECT_EQ(host::ParseJson(*sent).value.Find("params")->String(), longest);

  ASSERT_TRUE(agent_.SendResponse(true, "", "t1"));
  ReadUntil([&] { return responses_.size() == 1; });
  EXPECT_EQ(responses_[0].token, "t1");
}

TEST(ReconnectBackoffTest, WaitsDoubleToThirtySecondsAndStartOverAfterAConnection) {
  using std::chrono::milliseconds;
  host::ReconnectBackoff backoff;
  const auto start = host::ReconnectBackoff::Clock::time_point() + std::chrono::hours(1);
  EXPECT_TRUE(backoff.Due(start)) << "the first attempt waits for nothing";
  auto now = start;
  std::vector<long> delays;
  for (int attempt = 0; attempt < 9; ++attempt) {
    backoff.Failed(now);
    delays.push_back(backoff.delay().count());
    EXPECT_FALSE(backoff.Due(now + backoff.delay() - milliseconds(1)));
    EXPECT_TRUE(backoff.Due(now + backoff.delay()));
    now += backoff.delay();
  }
  EXPECT_EQ(delays, (std::vector<long>{500, 1000, 2000, 4000, 8000, 16000, 30000, 30000, 30000}));

  backoff.Connected();
  EXPECT_TRUE(backoff.Due(now));
  EXPECT_EQ(backoff.Remaining(now), milliseconds(0));
  backoff.Failed(now);
  EXPECT_EQ(backoff.Remaining(now), milliseconds(500));
  EXPECT_EQ(backoff.Remaining(now + std::chrono::microseconds(100500)), milliseconds(400))
      << "rounded up, so a poll never wakes just before the time";
  EXPECT_EQ(backoff.Remaining(now + std::chrono::seconds(9)), milliseconds(0));
}

}  // namespace
}  // namespace olconn97::testing
