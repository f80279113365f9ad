#include "outside/pim/sendmail.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <filesystem>

#include "test_support.h"

namespace olconn97::pim {
namespace {

using ::olconn97::testing::ReadFile;
using ::olconn97::testing::TempDir;
using ::olconn97::testing::WriteFile;

// Stands in for sendmail: keeps its arguments, one a line, and its input.
constexpr char kRecordingProgram[] =
    "#!/bin/sh\n"
    "here=$(dirname \"$0\")\n"
    ": > \"$here/args\"\n"
    "for a in \"$@\"; do printf '%s\\n' \"$a\" >> \"$here/args\"; done\n"
    "cat > \"$here/stdin\"\n";

class SendmailTest : public ::testing::Test {
 protected:
  // A program in the temporary folder; its path.
  std::string Program(const std::string& name, const std::string& script) {
    std::string path = temp_.Child(name);
    WriteFile(path, script);
    chmod(path.c_str(), 0755);
    return path;
  }
  std::string Recorder() { return Program("sendmail", kRecordingProgram); }
  std::string Arguments() { return ReadFile(temp_.Child("args")); }

  static MailMessage CallMail() {
    MailMessage message;
    message.to = {"Boss <boss@example.org>", "0123 456", "-oQ/tmp/x@example.org",
                  "Eve <-X/tmp/log@example.org>", "ann@example.org"};
    message.subject = "Call from Ann Smith";
    message.body = "Ann Smith called.\n.\nEnd.";
    message.date = std::chrono::system_clock::from_time_t(1796381405);
    message.message_id = "1@example.org";
    return message;
  }

  // No child of this process is left, not even a zombie.
  static void ExpectNoChildLeft() {
    int status = 0;
    EXPECT_EQ(waitpid(-1, &status, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
  }

  TempDir temp_;
};

TEST_F(SendmailTest, WithDashTTheProgramReadsTheRecipientsFromTheHeader) {
  Status status = SendWithSendmail(Recorder() + " -t -i", CallMail());
  ASSERT_TRUE(status.ok()) << status.ToString();
  EXPECT_EQ(Arguments(), "-t\n-i\n");
  std::string input = ReadFile(temp_.Child("stdin"));
  EXPECT_EQ(input.find('\r'), std::string::npos);
  Result<MailMessage> received = ReadMail(input);
  ASSERT_TRUE(received.ok());
  EXPECT_EQ(received.value().subject, "Call from Ann Smith");
  EXPECT_EQ(received.value().body, "Ann Smith called.\n.\nEnd.");
  ExpectNoChildLeft();
}

TEST_F(SendmailTest, WithoutDashTOnlyAddressesArePassedAndNeverAnOption) {
  for (const char* options : {"", " -oi", " -f t@example.org"}) {
    ASSERT_TRUE(SendWithSendmail(Recorder() + options, CallMail()).ok()) << options;
    std::string expected_options;
    for (const std::string& word : SplitCommandWords(options)) expected_options += word + "\n";
    EXPECT_EQ(Arguments(), expected_options + "boss@example.org\nann@example.org\n") << options;
  }
  // "-t" inside a group of flags, or spelt long, reads the header too.
  for (const char* options : {" -ti", " -it", " -oi -t", " --read-recipients"}) {
    ASSERT_TRUE(SendWithSendmail(Recorder() + options, CallMail()).ok()) << options;
    EXPECT_EQ(Arguments().find("example.org"), std::string::npos) << options;
  }

  MailMessage unaddressed = CallMail();
  unaddressed.to = {"0123 456", "-oQ/tmp/x@example.org"};
  std::filesystem::remove(temp_.Child("args"));
  EXPECT_EQ(SendWithSendmail(Recorder(), unaddressed).code(), Code::kInvalidArgument);
  EXPECT_FALSE(std::filesystem::exists(temp_.Child("args")));
}

TEST_F(SendmailTest, CommandWordsAreSplitWithoutAShell) {
  EXPECT_EQ(SplitCommandWords(" a  \"b c\" d\"\"e \"\" x;y $HOME \"open end"),
            (std::vector<std::string>{"a", "b c", "de", "", "x;y", "$HOME", "open end"}));
  EXPECT_TRUE(SplitCommandWords("   ").empty());

  std::filesystem::create_directory(temp_.Child("mail tools"));
  std::string program = Program("mail tools/send", kRecordingProgram);
  Status status =
      SendWithSendmail("\"" + program + "\" -t -F \"Call Bot\" $HOME `id` ;rm", CallMail());
  ASSERT_TRUE(status.ok()) << status.ToString();
  EXPECT_EQ(ReadFile(temp_.Child("mail tools/args")), "-t\n-F\nCall Bot\n$HOME\n`id`\n;rm\n");

  EXPECT_EQ(SendWithSendmail("", CallMail()).code(), Code::kInvalidArgument);
  EXPECT_EQ(SendWithSendmail("\"\" -t", CallMail()).code(), Code::kInvalidArgument);
}

TEST_F(SendmailTest, FailureCarriesTheExitAndWhatTheProgramSaid) {
  std::string refusing = Program("refusing",
                                 "#!/bin/sh\ncat > /dev/null\necho 'first line' >&2\n"
                                 "echo 'mail queue full' >&2\nexit 75\n");
  Status status = SendWithSendmail(refusing + " -t", CallMail());
  EXPECT_EQ(status.code(), Code::kFailed);
  EXPECT_NE(status.description().find("exit code 75"), std::string::npos) << status.ToString();
  EXPECT_NE(status.description().find("first line mail queue full"), std::string::npos)
      << status.ToString();

  std::string killed = Program("killed", "#!/bin/sh\nkill -9 $$\n");
  status = SendWithSendmail(killed + " -t", CallMail());
  EXPECT_EQ(status.code(), Code::kFailed);
  EXPECT_NE(status.description().find("signal 9"), std::string::npos) << status.ToString();

  status = SendWithSendmail(temp_.Child("missing") + " -t", CallMail());
  EXPECT_TRUE(status.IsNotFound()) << status.ToString();
  ExpectNoChildLeft();
}

// The program exits before reading a message larger than a pipe holds:
// the sender neither dies of SIGPIPE nor hangs, and the exit code decides.
TEST_F(SendmailTest, ProgramThatStopsReadingEarly) {
  MailMessage large = CallMail();
  large.body = std::string(4 << 20, 'x');
  std::string quitting = Program("quitting", "#!/bin/sh\nexit 0\n");
  EXPECT_TRUE(SendWithSendmail(quitting + " -t", large).ok());
  std::string failing = Program("failing", "#!/bin/sh\nhead -c 10 > /dev/null\nexit 1\n");
  EXPECT_EQ(SendWithSendmail(failing + " -t", large).code(), Code::kFailed);
  // A program that writes much while the message is still being written.
  std::string chatty = Program("chatty", "#!/bin/sh\nseq 1 200000 >&2\ncat > /dev/null\n");
  EXPECT_TRUE(SendWithSendmail(chatty + " -t", large).ok());
  ExpectNoChildLeft();
}

}  // namespace
}  // namespace olconn97::pim
