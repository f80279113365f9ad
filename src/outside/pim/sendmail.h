// Sending a mail through a sendmail-compatible program, the store's stand-in
// for a mail transport (the setting "SendmailCommand", for instance
// "/usr/sbin/sendmail -t -i").
#ifndef OLCONN97_OUTSIDE_PIM_SENDMAIL_H_
#define OLCONN97_OUTSIDE_PIM_SENDMAIL_H_

#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"
#include "outside/pim/mail_file.h"

namespace olconn97::pim {

// The words of a command line: blanks separate words, double quotes group
// blanks into a word and are removed, nothing else is special and nothing
// is expanded. An unclosed quote runs to the end of the line.
std::vector<std::string> SplitCommandWords(std::string_view command_line);

// Starts the program of `command_line` (searched in PATH when the first
// word has no "/"; never through a shell), writes the message to its
// standard input with LF line ends, as a local mail program expects, and
// waits for it.
//
// Unless the command asks the program to read the recipients from the
// header (-t), the recipients that are addresses are passed as arguments;
// a recipient beginning with "-" never is, so call data cannot turn into
// an option. Fails with kInvalidArgument when the command is empty or no
// recipient can be passed, with an errno code when the program cannot be
// started, and with kFailed, the tail of the program's output in the
// description, when it exits with a non-zero code or dies of a signal.
//
// The program stopping to read early is not a failure by itself (its exit
// code decides), and never raises SIGPIPE in the calling process. The
// child is always waited for, so none is left behind. Blocks the calling
// thread until the program exits.
Status SendWithSendmail(std::string_view command_line, const MailMessage& message);

}  // namespace olconn97::pim

#endif  // OLCONN97_OUTSIDE_PIM_SENDMAIL_H_
