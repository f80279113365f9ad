// The caller's number in a SIP user agent's call event, and the line that
// shows the caller.
#include <gtest/gtest.h>

#include "tools/olconn97/phone_host.h"

namespace host {
namespace {

TEST(CallSignalTest, TheNumberIsTheUserPartOrANumericDisplayName) {
  struct Case {
    const char* uri;
    const char* name;
    std::optional<std::string> number;
  };
  const Case cases[] = {
      {"sip:+33123456789@127.0.0.1:5060;transport=udp", "", "+33123456789"},
      {"<sips:0612345678@pbx.example.org>", "Ann", "0612345678"},
      {"sip:%2B4916012345678@host", "", "+4916012345678"},
      {"tel:+1-654-374-1040;ext=12", "", "+1-654-374-1040"},
      {"sip:0123;phone-context=example.org@host", "", "0123"},
      // No digits in the user part: a numeric display name stands in.
      {"sip:reception@pbx", "+33 1 23 45 67 89", "+33 1 23 45 67 89"},
      {"sip:reception@pbx", "Reception 2", std::nullopt},
      {"sip:anonymous@anonymous.invalid", "", std::nullopt},
      {"sip:Anonymous@pbx", "0123", std::nullopt},
      {"sip:unknown@pbx", "", std::nullopt},
      {"sip:pbx.example.org", "", std::nullopt},  // a host alone
      {"", "Unknown", std::nullopt},
      {"mailto:ann@example.org", "", std::nullopt},
      // Whatever else it holds is the caller's business: kept as data.
      {"sip:1\"*;x@host", "", "1\"*"},
      {"sip:$(reboot)1@host", "", "$(reboot)1"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CallerNumber(c.uri, c.name), c.number) << c.uri << " / " << c.name;
  }
}

TEST(CallSignalTest, TheCallerLineNamesWhatIsKnown) {
  CallerView ann{"+33123456789", true, "Smith, Ann", "Acme", "Contacts", 0, "1"};
  EXPECT_EQ(CallerLine(ann), "Smith, Ann, Acme, +33123456789 (Contacts)");
  ann.company.clear();
  ann.others = 2;
  EXPECT_EQ(CallerLine(ann), "Smith, Ann, +33123456789 (Contacts) and 2 other contacts");
  EXPECT_EQ(CallerLine({"0123", false, "", "", "", 0, "1"}), "0123 unknown caller");
  EXPECT_EQ(CallerLine({}), "unknown caller");
}

}  // namespace
}  // namespace host
