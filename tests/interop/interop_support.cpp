#include "interop/interop_support.h"

#include <gtest/gtest.h>

namespace olconn97::testing {

std::string ProgramPath(const std::string& program) {
  ToolRun found = RunShellCommand("command -v '" + program + "'");
  if (found.exit_code != 0 || found.out.empty()) return {};
  return found.out.substr(0, found.out.find('\n'));
}

bool KhardInstalled() { return !ProgramPath("khard").empty(); }

std::string RunKhard(const TempDir& home, const std::string& book, const std::string& arguments) {
  std::string config = home.Child("khard.conf");
  WriteFile(config, "[addressbooks]\n[[book]]\npath = " + book +
                        "\n[general]\ndebug = no\ndefault_action = list\neditor = /bin/true\n"
                        "merge_editor = /bin/true\n[contact table]\ndisplay = first_name\n"
                        "group_by_addressbook = no\nreverse = no\nshow_nicknames = no\n"
                        "show_uids = yes\nsort = last_name\nlocalize_dates = yes\n"
                        "preferred_phone_number_type = pref, cell, home\n"
                        "preferred_email_address_type = pref, work, home\n[vcard]\n"
                        "private_objects = Jabber,\npreferred_version = 3.0\n"
                        "search_in_source_files = no\nskip_unparsable = no\n");
  std::string errors = home.Child("khard.err");
  ToolRun run = RunShellCommand("HOME='" + home.path() + "' timeout -k 5 60 khard -c '" + config +
                                "' " + arguments + " 2>'" + errors + "'");
  EXPECT_EQ(run.exit_code, 0) << "khard " << arguments << ": " << ReadFile(errors);
  return run.out;
}

}  // namespace olconn97::testing
