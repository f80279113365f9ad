// Searches run by the message loop between two contacts of a rebuild, as a
// host's calls do while the walk yields: each answers from the rows written
// so far, never more and never less.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <string>

#include "cache/cache_test_support.h"
#include "cache/progress_window.h"
#include "core/shared_state.h"
#include "outside/com/variant.h"
#include "outside/ui/desktop.h"

namespace olconn97::testing {
namespace {

constexpr int kContacts = 5000;
constexpr int kSearchEvery = 5;  // contacts walked between two searches

std::string Digits(int i) {
  char text[24];
  std::snprintf(text, sizeof text, "4930%06d", i);
  return text;
}
std::string Name(int i) { return "Walked" + std::to_string(i) + ", Eve"; }

class WalkSearchTest : public CacheTest {
 protected:
  // Cards numbered in the order the walk reads them (file name order).
  void WriteCards() {
    const std::string folder = store() + "/Contacts";
    ASSERT_TRUE(std::filesystem::is_directory(folder));
    for (int i = 0; i < kContacts; ++i) {
      char file[32];
      std::snprintf(file, sizeof file, "/w%05d.vcf", i);
      WriteFile(folder + file, "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Walked" + std::to_string(i) +
                                   ";Eve;;;\r\nFN:Eve Walked" + std::to_string(i) +
                                   "\r\nTEL;TYPE=CELL:+49 30 " + Digits(i).substr(4) +
                                   "\r\nEND:VCARD\r\n");
    }
  }

  // The full name FindFirst answers, or "" for the unknown caller's placeholder.
  std::string FindFirst(int32_t field, const std::string& filter) {
    Result<com::ComPtr<ContactRecord>> cursor = driver_->Dataconnector_OpenContactRecord();
    if (!cursor.ok() || !cursor.value()) return "(no cursor)";
    com::Bstr text(filter);
    Contact* found = nullptr;
    if (cursor.value()->ContactRecord_FindFirst(field, text.get(), &found) != S_OK) {
      return "(failed)";
    }
    com::ComPtr<Contact> held = com::ComPtr<Contact>::Adopt(found);
    if (!held) return "(none)";
    VARIANT_BOOL not_in_pim = VARIANT_FALSE;
    BSTR name = nullptr;
    if (held->get_NotInPIM(&not_in_pim) != S_OK || held->get_FullName(&name) != S_OK) {
      return "(unreadable)";
    }
    std::string full_name(com::Bstr::Adopt(name).view());
    return not_in_pim != VARIANT_FALSE ? "" : full_name;
  }
};

TEST_F(WalkSearchTest, ASearchBetweenTwoContactsOfARebuildFindsExactlyTheContactsWalkedSoFar) {
  WriteCards();
  driver_ = std::make_unique<cDataConnector>();  // a first launch: the build waits for its timer
  ASSERT_TRUE(WalkPending());
  ui::MessageLoop& loop = Shared().services.desktop().loop();
  std::mt19937 random(20261207);
  std::uniform_int_distribution<int> any_contact(0, kContacts - 1);
  int yields = 0;
  int searches = 0;
  int found = 0;
  std::function<void()> search_now_and_then = [&] {
    if (!WalkPending()) return;  // the walk has ended: nothing to interleave with
    if (++yields % kSearchEvery == 0) {
      // The walk yields after the rows of its current contact and before
      // the bar counts it: every contact up to the bar's value has its rows.
      const int walked = Shared().progress_window->ProgressBar().value();
      const int target = any_contact(random);
      const bool by_name = searches % 2 == 1;
      std::string answer = by_name ? FindFirst(1, Name(target)) : FindFirst(0, Digits(target));
      EXPECT_EQ(answer, target <= walked ? Name(target) : "")
          << "contact " << target << " with " << walked + 1 << " walked, "
          << (by_name ? "by name" : "by number");
      ++searches;
      if (!answer.empty()) ++found;
    }
    loop.Post(search_now_and_then);  // posted again after the search's own yields
  };
  loop.Post(search_now_and_then);
  RunWalk();
  LetTimePass(std::chrono::milliseconds(1));  // lets the last posted search see the end
  EXPECT_GE(searches, kContacts / kSearchEvery - 1);  // one per few contacts, to the end
  EXPECT_GT(found, searches / 4);  // both kinds of answer were checked
  EXPECT_LT(found, searches * 3 / 4);
  EXPECT_EQ(Rows().size(), static_cast<size_t>(kContacts));
  for (int i : {0, kContacts / 2, kContacts - 1}) {
    EXPECT_EQ(FindFirst(0, Digits(i)), Name(i));
  }
}

}  // namespace
}  // namespace olconn97::testing
