// The phone host on real SIP user agents: baresip instances on 127.0.0.1
// (no registrar, no sound card) call one another while `olconn97 phone`
// watches the callee's control port. The test answers, lets the call run a
// second, hangs up, and reads what the host showed and wrote.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "outside/pim/journal_file.h"
#include "test_support.h"
#include "tools/olconn97/baresip_control.h"

namespace olconn97::testing {
namespace {

namespace fs = std::filesystem;

constexpr char kBaresip[] = "/usr/bin/baresip";

uint16_t FreePort(int type) {
  int fd = socket(AF_INET, type, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
}

// One baresip with one account, its control port watched by the test.
class Agent {
 public:
  Agent(const TempDir& home, const std::string& name, const std::string& user)
      : folder_(home.Child(name)),
        sip_port_(FreePort(SOCK_DGRAM)),
        control_port_(FreePort(SOCK_STREAM)),
        http_port_(FreePort(SOCK_STREAM)) {
    fs::create_directories(folder_);
    // Only what a headless agent needs: no audio module (one without a
    // device breaks the call), the loopback interface, no registration.
    WriteFile(folder_ + "/config",
              "module_path /usr/lib/baresip/modules\n"
              "module g711.so\nmodule account.so\nmodule menu.so\nmodule ctrl_tcp.so\n"
              // The control port has one client, the phone host: the test
              // answers and hangs up through the agent's web commands.
              "module httpd.so\nhttp_listen 127.0.0.1:" + std::to_string(http_port_) + "\n"
              "sip_listen 127.0.0.1:" + std::to_string(sip_port_) + "\n"
              "net_interface 127.0.0.1\n"
              "ctrl_tcp_listen 127.0.0.1:" + std::to_string(control_port_) + "\n"
              "audio_player aufile,/dev/null\naudio_source aufile,/dev/null\n");
    WriteFile(folder_ + "/accounts", "<sip:" + user + "@127.0.0.1:" + std::to_string(sip_port_) +
                                         ">;regint=0;answermode=manual\n");
    process_ = std::make_unique<BackgroundProcess>(std::vector<std::string>{kBaresip, "-f", folder_},
                                       std::vector<std::string>{}, folder_ + "/output");
  }

  // Connects the test's own watch of the control port.
  bool Watch() {
    host::ControlHandlers handlers;
    handlers.on_event = [this](const host::SipEvent& event) { events_.push_back(event); };
    control_ = std::make_unique<host::BaresipControl>("127.0.0.1", control_port_, handlers);
    return WaitFor([&] { return control_->Connect(std::chrono::milliseconds(200)).connected; });
  }
  bool Send(const std::string& command, const std::string& params = {}) {
    return control_->Send(command, params, "test") == host::SendOutcome::kSent;
  }
  // The first event of `type` seen so far (reading what came meanwhile).
  const host::SipEvent* Seen(const std::string& type) {
    control_->ReadAvailable();
    for (const host::SipEvent& event : events_) {
      if (event.type == type) return &event;
    }
    return nullptr;
  }
  // Runs a long command ("accept") through the agent's web interface
  // ("/?/accept"; without the slash each letter is a key).
  bool Command(const std::string& command) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(http_port_);
    bool done = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    std::string request = "GET /?/" + command + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
    done = done && write(fd, request.data(), request.size()) == static_cast<ssize_t>(request.size());
    // The agent keeps the connection open after its answer: one read of
    // it, bounded, is enough.
    timeval patience{2, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
    char buffer[4096];
    done = done && read(fd, buffer, sizeof buffer) > 0;
    close(fd);
    return done;
  }
  // Drops the events seen so far: the next call's come afresh.
  void Forget() {
    control_->ReadAvailable();
    events_.clear();
  }
  bool WaitForEvent(const std::string& type) {
    return WaitFor([&] { return Seen(type) != nullptr; });
  }
  std::string address() const { return "127.0.0.1:" + std::to_string(control_port_); }
  std::string uri(const std::string& user) const {
    return "sip:" + user + "@127.0.0.1:" + std::to_string(sip_port_);
  }
  std::string output() const { return ReadFile(folder_ + "/output"); }
  bool started() const { return process_->started(); }

 private:
  std::string folder_;
  uint16_t sip_port_;
  uint16_t control_port_;
  uint16_t http_port_;
  std::unique_ptr<BackgroundProcess> process_;
  std::unique_ptr<host::BaresipControl> control_;
  std::vector<host::SipEvent> events_;
};

class BaresipPhoneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(kBaresip)) {
      GTEST_SKIP() << "baresip is not installed (scripts/setup installs baresip-core)";
    }
    signal(SIGPIPE, SIG_IGN);
    ASSERT_EQ(RunHostTool(home_, "store folders").exit_code, 0);
    WriteFile(store() + "/Contacts/ann.vcf",
              "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann Smith\r\nN:Smith;Ann;;;\r\n"
              "ORG:Acme\r\nTEL;TYPE=WORK,VOICE:+33 1 23 45 67 89\r\nEND:VCARD\r\n");
  }
  std::string store() const { return home_.Child("data") + "/olconn97/pim"; }
  std::vector<std::string> Journal() {
    std::vector<std::string> files;
    if (!fs::exists(store() + "/Journal")) return files;
    for (const auto& entry : fs::directory_iterator(store() + "/Journal")) {
      if (entry.path().extension() == ".ics") files.push_back(entry.path().string());
    }
    return files;
  }
  // One call from `caller` to `callee`: answered by the callee (or not),
  // held a second, hung up by the caller.
  void PlayCall(Agent& caller, Agent& callee, bool answer) {
    caller.Forget();
    ASSERT_TRUE(caller.Send("dial", callee.uri("callee")));
    ASSERT_TRUE(caller.WaitForEvent("CALL_RINGING"));
    if (answer) {
      ASSERT_TRUE(callee.Command("accept"));
      ASSERT_TRUE(caller.WaitForEvent("CALL_ESTABLISHED"));
      std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    ASSERT_TRUE(caller.Send("hangup"));
    ASSERT_TRUE(caller.WaitForEvent("CALL_CLOSED"));
  }

  TempDir home_;
};

TEST_F(BaresipPhoneTest, AKnownCallerIsShownAndTheAnsweredCallJournalled) {
  Agent ann(home_, "ann", "+33123456789");
  Agent desk(home_, "desk", "callee");
  ASSERT_TRUE(ann.started() && desk.started());
  ASSERT_TRUE(ann.Watch()) << ann.output();
  std::string phone_output = home_.Child("phone.out");
  BackgroundProcess phone({OLCONN97_HOST_PATH, "phone", "--baresip", desk.address(), "--no-notify"},
                          HostEnvironment(home_), phone_output);
  ASSERT_TRUE(WaitFor([&] {
    return ReadFile(phone_output).find("Listening to baresip") != std::string::npos;
  })) << ReadFile(phone_output);

  PlayCall(ann, desk, /*answer=*/true);
  ASSERT_TRUE(WaitFor([&] { return Journal().size() == 1; })) << ReadFile(phone_output);
  std::string shown = ReadFile(phone_output);
  EXPECT_NE(shown.find("incoming Smith, Ann, Acme, +33123456789 (Contacts)"), std::string::npos)
      << shown;
  pim::JournalEntry entry = pim::ReadJournal(ReadFile(Journal()[0])).value();
  EXPECT_EQ(entry.subject.find("Ann Smith") != std::string::npos, true) << entry.subject;
  ASSERT_TRUE(entry.start && entry.end);
  auto held = std::chrono::duration_cast<std::chrono::seconds>(*entry.end - *entry.start);
  EXPECT_GE(held.count(), 1);
  EXPECT_LE(held.count(), 3);

  // A caller nobody knows: shown as such, and journalled with the number.
  Agent stranger(home_, "stranger", "+33999000111");
  ASSERT_TRUE(stranger.started());
  ASSERT_TRUE(stranger.Watch()) << stranger.output();
  PlayCall(stranger, desk, /*answer=*/false);
  ASSERT_TRUE(WaitFor([&] { return Journal().size() == 2; })) << ReadFile(phone_output);
  EXPECT_NE(ReadFile(phone_output).find("incoming +33999000111 unknown caller"),
            std::string::npos)
      << ReadFile(phone_output);

  EXPECT_EQ(phone.Stop(), 0);
  EXPECT_NE(ReadFile(phone_output).find("Stopped"), std::string::npos);
}

}  // namespace
}  // namespace olconn97::testing
