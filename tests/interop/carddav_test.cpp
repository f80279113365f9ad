// A CardDAV address book end to end, with the programs users run: Radicale
// serves the book on 127.0.0.1 (a port the system chooses), vdirsyncer
// syncs it into a folder linked into the driver's store, the reference host
// finds the server's callers and writes cards there that reach the server,
// and khard reads them. Every program lives in a temporary home; Radicale
// is stopped at the end whatever happens, and every run has a time limit.
// Skipped, with a message, where a program is missing, except under CI,
// whose set-up installs them all.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "interop/interop_support.h"
#include "test_support.h"

namespace olconn97::testing {
namespace {

constexpr char kOutlook98[] = "'HKCU\\Software\\Norvale\\7316\\Popup\\outlook98'";
constexpr char kUser[] = "ann";  // Radicale without authentication takes any name
constexpr char kBook[] = "work";

// The port in Radicale's "Listening on '[127.0.0.1]:PORT'", 0 before it.
int ListeningPort(const std::string& log) {
  const std::string key = "Listening on '[127.0.0.1]:";
  size_t at = log.find(key);
  if (at == std::string::npos) return 0;
  return std::atoi(log.c_str() + at + key.size());
}

// Radicale answers 201 to every PUT, other servers 204 to one that replaces.
bool Succeeded(const std::string& http_code) {
  return http_code.size() == 3 && http_code[0] == '2';
}

std::string Card(const std::string& uid, const std::string& first, const std::string& last,
                 const std::string& number) {
  return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + uid + "\r\nFN:" + first + " " + last +
         "\r\nN:" + last + ";" + first + ";;;\r\nTEL;TYPE=CELL:" + number + "\r\nEND:VCARD\r\n";
}

class CardDavTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* program : {"radicale", "vdirsyncer", "khard", "curl", "timeout"}) {
      if (!ProgramPath(program).empty()) continue;
      if (std::getenv("CI") != nullptr) FAIL() << program << " is missing: run scripts/setup";
      GTEST_SKIP() << program << " is not installed (scripts/setup installs it)";
    }
    // Every program, ours included, keeps its files in the temporary home.
    for (const std::string& entry : HostEnvironment(home_)) {
      size_t equals = entry.find('=');
      environment_.push_back(
          std::make_unique<ScopedEnv>(entry.substr(0, equals).c_str(), entry.substr(equals + 1)));
    }
    environment_.push_back(std::make_unique<ScopedEnv>("HOME", home_.path()));
    environment_.push_back(std::make_unique<ScopedEnv>("no_proxy", "127.0.0.1"));
    StartServer();
    ASSERT_FALSE(HasFailure());
    ASSERT_EQ(Http("MKCOL", BookUrl(),
                   "<?xml version=\"1.0\"?><mkcol xmlns=\"DAV:\" "
                   "xmlns:C=\"urn:ietf:params:xml:ns:carddav\"><set><prop><resourcetype>"
                   "<collection/><C:addressbook/></resourcetype><displayname>Work</displayname>"
                   "</prop></set></mkcol>",
                   "application/xml"),
              "201");
    ASSERT_EQ(Http("PUT", BookUrl() + "ann.vcf", Card("ann-1", "Ann", "Smith", "+33 6 12 34 56 78"),
                   "text/vcard"),
              "201");
    WriteSyncConfig();
    ASSERT_EQ(Sync("discover", /*answer_yes=*/true), 0);
    ASSERT_EQ(Sync("sync"), 0);
    ASSERT_EQ(Sync("metasync"), 0);  // the book's display name
    ToolRun linked = Tool("store link '" + home_.Child("contacts") + "'");
    ASSERT_EQ(linked.exit_code, 0) << Stderr();
    ASSERT_NE(linked.out.find("Linked Work: "), std::string::npos) << linked.out;
  }

  void TearDown() override {
    if (server_) server_->Stop();  // else its destructor kills it
  }

  void StartServer() {
    std::string config = home_.Child("radicale.conf");
    WriteFile(config,
              "[server]\nhosts = 127.0.0.1:0\n[auth]\ntype = none\n[rights]\n"
              "type = owner_only\n[storage]\nfilesystem_folder = " +
                  home_.Child("server") + "\n[web]\ntype = none\n[logging]\nlevel = info\n");
    // Only this file: Debian's own configuration asks for a front-end server.
    server_.emplace(std::vector<std::string>{ProgramPath("radicale"), "--config", config},
                    std::vector<std::string>{}, server_log());
    ASSERT_TRUE(server_->started());
    ASSERT_TRUE(WaitFor([&] { return (port_ = ListeningPort(ReadFile(server_log()))) != 0; }))
        << ReadFile(server_log());
    ASSERT_TRUE(WaitFor([&] { return Http("OPTIONS", BookUrl()) != "000"; }))
        << ReadFile(server_log());
  }

  // One HTTP request to the server; its status code ("000": no answer).
  // The answer's body goes to `body` when given.
  std::string Http(const std::string& method, const std::string& url,
                   const std::string& content = "", const std::string& type = "",
                   std::string* body = nullptr) {
    std::string command = "curl --silent --noproxy '*' --max-time 10 --user " + std::string(kUser) +
                          ":x --request " + method + " --output '" + home_.Child("http.out") +
                          "' --write-out '%{http_code}'";
    if (!type.empty()) {
      WriteFile(home_.Child("http.in"), content);
      command +=
          " --header 'Content-Type: " + type + "' --data-binary @'" + home_.Child("http.in") + "'";
    }
    ToolRun run = RunShellCommand(command + " '" + url + "'");
    if (body != nullptr) *body = ReadFile(home_.Child("http.out"));
    return run.out;
  }

  std::string BookUrl() const {
    return "http://127.0.0.1:" + std::to_string(port_) + "/" + kUser + "/" + kBook + "/";
  }

  // The server's address books synced into home/contacts/<book>.
  void WriteSyncConfig() {
    WriteFile(home_.Child("vdirsyncer.conf"),
              "[general]\nstatus_path = \"" + home_.Child("sync-status") +
                  "\"\n\n[pair book]\na = \"local\"\nb = \"server\"\n"
                  "collections = [\"from b\"]\nmetadata = [\"displayname\"]\n\n"
                  "[storage local]\ntype = \"filesystem\"\npath = \"" +
                  home_.Child("contacts") +
                  "\"\nfileext = \".vcf\"\n\n"
                  "[storage server]\ntype = \"carddav\"\nurl = \"http://127.0.0.1:" +
                  std::to_string(port_) + "/\"\nusername = \"" + kUser + "\"\npassword = \"x\"\n");
  }

  // vdirsyncer's exit code; its output goes to home/vdirsyncer.log.
  int Sync(const std::string& command, bool answer_yes = false) {
    std::string line = "timeout -k 5 60 vdirsyncer -c '" + home_.Child("vdirsyncer.conf") + "' " +
                       command + " >>'" + sync_log() + "' 2>&1";
    // discover asks before it makes the local folder of a new book.
    return RunShellCommand(answer_yes ? "yes | " + line : line).exit_code;
  }

  ToolRun Tool(const std::string& arguments) {
    return RunShellCommand("timeout -k 5 60 '" + std::string(OLCONN97_HOST_PATH) + "' " +
                           arguments + " 2>'" + home_.Child("stderr") + "'");
  }
  std::string Stderr() const { return ReadFile(home_.Child("stderr")); }
  std::string server_log() const { return home_.Child("radicale.log"); }
  std::string sync_log() const { return home_.Child("vdirsyncer.log"); }
  std::string book() const { return home_.Child("contacts") + "/" + kBook; }

  // The server's whole address book, as one text of cards.
  std::string ServerCards() {
    std::string cards;
    EXPECT_EQ(Http("GET", BookUrl(), "", "", &cards), "200") << cards;
    return cards;
  }

  TempDir home_;
  std::vector<std::unique_ptr<ScopedEnv>> environment_;
  std::optional<BackgroundProcess> server_;
  int port_ = 0;
};

TEST_F(CardDavTest, ACardPutOnTheServerIsFoundByItsNumberAfterTheSync) {
  ToolRun found = Tool("lookup 33612345678 --first");
  ASSERT_EQ(found.exit_code, 0) << Stderr();
  EXPECT_NE(found.out.find("FullName: Smith, Ann"), std::string::npos) << found.out;

  ASSERT_EQ(Http("PUT", BookUrl() + "bob.vcf", Card("bob-1", "Bob", "Stone", "+33 1 98 76 54 32"),
                 "text/vcard"),
            "201");
  ASSERT_EQ(Sync("sync"), 0) << ReadFile(sync_log());
  ASSERT_TRUE(ReadFile(book() + "/bob-1.vcf").find("Bob Stone") != std::string::npos)
      << ReadFile(sync_log());
  ASSERT_EQ(Tool("cache refresh").exit_code, 0) << Stderr();
  found = Tool("lookup 33198765432 --first");
  ASSERT_EQ(found.exit_code, 0) << Stderr();
  EXPECT_NE(found.out.find("FullName: Stone, Bob"), std::string::npos) << found.out;
}

TEST_F(CardDavTest, ANumberChangedOrACardDeletedOnTheServerIsFollowed) {
  ASSERT_EQ(Tool("cache refresh").exit_code, 0) << Stderr();
  ASSERT_TRUE(Succeeded(Http("PUT", BookUrl() + "ann.vcf",
                             Card("ann-1", "Ann", "Smith", "+33 6 00 00 00 07"), "text/vcard")));
  ASSERT_EQ(Sync("sync"), 0) << ReadFile(sync_log());
  ASSERT_EQ(Tool("cache refresh").exit_code, 0) << Stderr();
  ToolRun found = Tool("lookup 33600000007 --first");
  ASSERT_EQ(found.exit_code, 0) << Stderr();
  EXPECT_NE(found.out.find("FullName: Smith, Ann"), std::string::npos) << found.out;
  EXPECT_EQ(Tool("lookup 33612345678 --first").out.find("FullName: Smith, Ann"), std::string::npos);

  // vdirsyncer refuses to empty a book on one side because the other was
  // emptied: another card stays.
  ASSERT_EQ(Http("PUT", BookUrl() + "bob.vcf", Card("bob-1", "Bob", "Stone", "+33 1 98 76 54 32"),
                 "text/vcard"),
            "201");
  ASSERT_TRUE(Succeeded(Http("DELETE", BookUrl() + "ann.vcf")));
  ASSERT_EQ(Sync("sync"), 0) << ReadFile(sync_log());
  ASSERT_EQ(Tool("cache refresh").exit_code, 0) << Stderr();
  EXPECT_EQ(Tool("lookup 33600000007 --first").out.find("FullName: Smith, Ann"), std::string::npos);
}

TEST_F(CardDavTest, CardsTheDriverMakesReachTheServerAndKhard) {
  ASSERT_EQ(
      Tool(std::string("reg add ") + kOutlook98 + " /v NewContactsFolder /d Work /f").exit_code, 0)
      << Stderr();
  // An unknown caller's card, made by the open action, and one made by hand.
  ToolRun call = Tool("call 33999000111 --action open --set open.NewOnInexistant=1");
  ASSERT_EQ(call.exit_code, 0) << Stderr() << call.out;
  ASSERT_EQ(Tool("contact create 'Zoé Quinn' '+33 7 00 00 00 01'").exit_code, 0) << Stderr();
  ASSERT_EQ(Sync("sync"), 0) << ReadFile(sync_log());

  std::string server = ServerCards();
  EXPECT_NE(server.find("33999000111"), std::string::npos) << server;
  EXPECT_NE(server.find("Zoé Quinn"), std::string::npos) << server;
  EXPECT_NE(server.find("+33 7 00 00 00 01"), std::string::npos) << server;
  EXPECT_NE(server.find("Ann Smith"), std::string::npos) << server;  // nothing lost on the way

  std::string listed = RunKhard(home_, book(), "list --parsable");
  EXPECT_NE(listed.find("Zoé Quinn"), std::string::npos) << listed;
  EXPECT_NE(listed.find("Ann Smith"), std::string::npos) << listed;
  std::string phones = RunKhard(home_, book(), "phone --parsable");
  EXPECT_NE(phones.find("+33 7 00 00 00 01\tZoé Quinn"), std::string::npos) << phones;
  EXPECT_NE(phones.find("33999000111"), std::string::npos) << phones;
  std::string shown = RunKhard(home_, book(), "show --format yaml Quinn");
  EXPECT_NE(shown.find("Zoé"), std::string::npos) << shown;
  EXPECT_NE(shown.find("+33 7 00 00 00 01"), std::string::npos) << shown;

  // A second sync changes nothing on either side: the cards the driver
  // wrote are the ones the server holds.
  std::string before = ServerCards();
  ASSERT_EQ(Sync("sync"), 0) << ReadFile(sync_log());
  EXPECT_EQ(ServerCards(), before);
}

}  // namespace
}  // namespace olconn97::testing
