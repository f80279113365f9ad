// The five actions run for a call, on a real store: the cards they open and
// make, the mails and journal entries they write (read back with the
// store's own readers and libical), and the programs they start.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "actions/actions.h"
#include "actions/pim_actions.h"
#include "cache/cache_test_support.h"
#include "cache/contact_record.h"
#include "contact/contact.h"
#include "core/settings.h"
#include "core/product_identity.h"
#include "core/shared_state.h"
#include "diag/message_form.h"
#include "outside/pim/journal_file.h"
#include "outside/pim/mail_file.h"
#include "outside/pim/windows.h"

namespace olconn97::testing {
namespace {

namespace fs = std::filesystem;

class ActionsTest : public CacheTest {
 protected:
  void SetUp() override {
    CacheTest::SetUp();
    ann_ = AddContact("Ann Smith", {{"BusinessTelephoneNumber", "+33 1 23 45 67 89"}});
    StartDriver();
  }

  com::ComPtr<PIMAction> Action(int32_t id) {
    com::ComPtr<IDispatch> item;
    EXPECT_EQ(Shared().gDefaultActions->Item(id, item.Receive()), S_OK);
    return item.As<PIMAction>();
  }
  static void Set(PIMAction* action, const char* key, const com::Variant& value) {
    cActionProperty* setting = ActionOf(action)->Setting(key);
    ASSERT_NE(setting, nullptr) << key;
    setting->Value(value.raw());
  }
  // The contact a host holds for a call from `number`, with the call data.
  com::ComPtr<Contact> CallFrom(const std::string& number, const std::string& data) {
    auto cursor = driver_->Dataconnector_OpenContactRecord().value();
    com::ComPtr<Contact> contact;
    EXPECT_EQ(cursor->ContactRecord_FindFirst(0, com::Bstr(number).get(), contact.Receive()),
              S_OK);
    EXPECT_EQ(contact->put_PersonalData(com::Variant::String(data).raw()), S_OK);
    return contact;
  }
  // Runs the action with the host's variable; answers what it holds after.
  com::ComPtr<Contact> Run(PIMAction* action, com::ComPtr<Contact> contact) {
    Contact* variable = contact.Detach();
    VARIANT_BOOL result = VARIANT_TRUE;
    EXPECT_EQ(action->ExecuteAction(&variable, &result), S_OK);
    EXPECT_EQ(result, VARIANT_FALSE);
    return com::ComPtr<Contact>::Adopt(variable);
  }
  bool Logged(const std::string& text) {
    std::vector<std::string> lines = LogLines();
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
      return line.find(text) != std::string::npos;
    });
  }
  std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(store() + "/" + folder)) {
      if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') {
        files.push_back(entry.path().string());
      }
    }
    return files;
  }
  std::string ContactsLink(const std::string& name) {
    return " <Outlook://" + contacts_->ParentFolder()->Name() + "/Contacts/~" + name + "> ";
  }
  com::ComPtr<pim::Inspector> ActiveCard() { return Shared().gOutlookApp->ActiveInspector(); }

  com::ComPtr<pim::ContactItem> ann_;
};

TEST_F(ActionsTest, OpenContactOpensAKnownCallerOnlyWhenAskedTo) {
  com::ComPtr<PIMAction> open = Action(kActionOpenContact);
  Run(open.get(), CallFrom("33123456789", ""));
  EXPECT_TRUE(Logged("Opening Smith, Ann(+33 1 23 45 67 89) from " + ann_->EntryID()));
  EXPECT_TRUE(Logged("Opening Smith, Ann..."));
  ASSERT_TRUE(ActiveCard());
  EXPECT_EQ(ActiveCard()->CurrentItem()->EntryID(), ann_->EntryID());
  ASSERT_TRUE(ActiveCard()->Close(pim::kCloseDiscard).ok());

  ActionOf(open.get())->Setting("NewOnInexistant")->ValueIndex(ActionOpenContact::kCreateUnknown);
  Run(open.get(), CallFrom("33123456789", ""));
  EXPECT_FALSE(ActiveCard());
}

TEST_F(ActionsTest, OpenContactMakesACardForAnUnknownCallerThatTheNextSearchFinds) {
  com::ComPtr<PIMAction> open = Action(kActionOpenContact);
  Run(open.get(), CallFrom("0499887766", ""));
  EXPECT_TRUE(Logged("Unknown contact:  (Not found in Outlook)..."));
  EXPECT_FALSE(Logged("Creating new contact from"));
  EXPECT_EQ(FilesIn("Contacts").size(), 1u);

  ActionOf(open.get())->Setting("NewOnInexistant")->ValueIndex(ActionOpenContact::kOpenOrCreate);
  Run(open.get(), CallFrom("0499887766", ""));
  EXPECT_TRUE(Logged("Creating new contact from:  and 0499887766"));
  ASSERT_EQ(FilesIn("Contacts").size(), 2u);
  ASSERT_TRUE(ActiveCard());
  // Named by its number until the user names it: a nameless card is never indexed.
  pim::ContactItem* made = ActiveCard()->CurrentItem()->AsContact();
  EXPECT_EQ(made->Text("FullName"), "0499887766");
  EXPECT_EQ(made->Text("BusinessTelephoneNumber"), "0499887766");
  // Indexed at once: no walk ran in between.
  com::ComPtr<Contact> again = CallFrom("0499887766", "");
  EXPECT_FALSE(ContactOf(again.get())->NotInPIM());
  EXPECT_EQ(ContactOf(again.get())->ContactId(), ActiveCard()->CurrentItem()->EntryID());
}

TEST_F(ActionsTest, OpenContactWithoutContactOrForManyCallers) {
  com::ComPtr<PIMAction> open = Action(kActionOpenContact);
  ActionOf(open.get())->Setting("NewOnInexistant")->ValueIndex(ActionOpenContact::kOpenOrCreate);
  // "MANY" is never an unknown caller: nothing is made, nothing opens.
  com::ComPtr<Contact> many = NewContact();
  ContactOf(many.get())->FullName("MANY");
  Run(open.get(), many);
  EXPECT_TRUE(Logged("Opening MANY..."));
  EXPECT_EQ(FilesIn("Contacts").size(), 1u);
  // No contact at all: the variable gets one, and an empty card is made.
  com::ComPtr<Contact> given = Run(open.get(), nullptr);
  EXPECT_TRUE(Logged("CITem = Nothing"));
  ASSERT_TRUE(given);
  EXPECT_FALSE(ContactOf(given.get())->NotInPIM());
  EXPECT_EQ(FilesIn("Contacts").size(), 2u);
}

TEST_F(ActionsTest, AHostThatBindsLateGetsTheNewContactInItsVariable) {
  com::ComPtr<PIMAction> journal = Action(kActionStoreInJournal);
  LPOLESTR names[] = {const_cast<LPOLESTR>("ExecuteAction")};
  DISPID id = DISPID_UNKNOWN;
  ASSERT_EQ(journal->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
  IDispatch* variable = nullptr;  // the host's "Dim CItem As Object", Nothing
  VARIANT argument;
  VariantInit(&argument);
  argument.vt = VT_BYREF | VT_DISPATCH;
  argument.ppdispVal = &variable;
  DISPPARAMS params{&argument, nullptr, 1, 0};
  VARIANT result;
  VariantInit(&result);
  ASSERT_EQ(journal->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, nullptr),
            S_OK);
  EXPECT_EQ(result.vt, VT_BOOL);
  EXPECT_EQ(result.boolVal, VARIANT_FALSE);
  ASSERT_NE(variable, nullptr);
  com::ComPtr<IDispatch> given = com::ComPtr<IDispatch>::Adopt(variable);
  ASSERT_NE(ContactOf(given.get()), nullptr);
  EXPECT_TRUE(ContactOf(given.get())->NotInPIM());
  EXPECT_EQ(FilesIn("Journal").size(), 1u);
}

TEST_F(ActionsTest, CloseContactClosesTheCardOfAKnownCallerOnly) {
  Run(Action(kActionOpenContact).get(), CallFrom("33123456789", ""));
  ASSERT_TRUE(ActiveCard());
  com::ComPtr<PIMAction> close = Action(kActionCloseContact);
  Run(close.get(), CallFrom("0111", ""));
  EXPECT_TRUE(Logged("Closing "));  // a placeholder found by number has no name
  EXPECT_TRUE(ActiveCard());
  Run(close.get(), CallFrom("33123456789", ""));
  EXPECT_TRUE(Logged("Closing Smith, Ann"));
  EXPECT_FALSE(ActiveCard());
  // Without contact it stays without one.
  EXPECT_FALSE(Run(close.get(), nullptr));
}

TEST_F(ActionsTest, SendMailWritesWhoCalledWhenAndALinkToTheCard) {
  com::ComPtr<PIMAction> mail = Action(kActionSendMail);
  Run(mail.get(), CallFrom("33123456789", "PHONENUMBER=33123456789;TYPE=outgoing;"));
  EXPECT_TRUE(FilesIn("Outbox").empty());  // no address: switched off
  EXPECT_FALSE(Logged("Sending mail to"));

  Set(mail.get(), "DestinationAddress", com::Variant::String("desk@example.org"));
  Run(mail.get(), CallFrom("33123456789", "PHONENUMBER=33123456789;TYPE=outgoing;"));
  EXPECT_TRUE(Logged("Sending mail to desk@example.org called by Smith, Ann"));
  EXPECT_TRUE(Logged("Mail sent..."));
  std::vector<std::string> queued = FilesIn("Outbox");  // no mail program configured
  ASSERT_EQ(queued.size(), 1u);
  pim::MailMessage sent = pim::ReadMail(ReadFile(queued[0])).value();
  EXPECT_EQ(sent.to, std::vector<std::string>{"desk@example.org"});
  EXPECT_EQ(sent.subject, T("#05203#") + " Ann Smith");
  EXPECT_EQ(sent.body, T("#05207#") + " Ann Smith " + T("#05206#") + " 12/04/26 " + T("#05205#") +
                           " 10:50:05\nContact: " + ContactsLink("Ann Smith"));

  // An unknown caller: the number is the name, and there is no link.
  Set(mail.get(), "AutomaticSend", com::Variant::Bool(false));
  Run(mail.get(), CallFrom("0123", "TYPE=incoming"));
  EXPECT_TRUE(Logged("Mail displayed..."));
  std::vector<std::string> drafts = FilesIn("Drafts");
  ASSERT_EQ(drafts.size(), 1u);
  pim::MailMessage shown = pim::ReadMail(ReadFile(drafts[0])).value();
  EXPECT_EQ(shown.subject, T("#05203#") + " 0123");
  EXPECT_EQ(shown.body, "0123 " + T("#05204#") + " " + T("#05206#") + " 12/04/26 " + T("#05205#") +
                            " 10:50:05");
}

TEST_F(ActionsTest, CallDataNeverAddsAMailHeader) {
  com::ComPtr<PIMAction> mail = Action(kActionSendMail);
  Set(mail.get(), "DestinationAddress", com::Variant::String("desk@example.org\r\nBcc: all@x"));
  com::ComPtr<Contact> caller = CallFrom("0123\r\nBcc: evil@example.org", "TYPE=incoming");
  Run(mail.get(), caller);
  std::vector<std::string> queued = FilesIn("Outbox");
  ASSERT_EQ(queued.size(), 1u);
  std::string file = ReadFile(queued[0]);
  std::string headers = file.substr(0, file.find("\r\n\r\n"));
  EXPECT_EQ(headers.find("\nBcc:"), std::string::npos) << headers;
  EXPECT_EQ(headers.find("\nbcc:"), std::string::npos) << headers;
  pim::MailMessage read = pim::ReadMail(file).value();
  ASSERT_EQ(read.to.size(), 1u);
  EXPECT_NE(read.subject.find("evil@example.org"), std::string::npos);  // kept as text
}

TEST_F(ActionsTest, StoreInJournalSpansTheCallAndLinksTheCard) {
  com::ComPtr<PIMAction> journal = Action(kActionStoreInJournal);
  clock_.Set(clock_.Now() + std::chrono::minutes(5));
  Run(journal.get(), CallFrom("33123456789",
                              "PHONENUMBER=33123456789;TYPE=incoming;START=12/04/26 10:50:05;"
                              "DURATION=300;"));
  EXPECT_TRUE(Logged("Storing in journal call from Smith, Ann"));
  EXPECT_TRUE(Logged("In PIM: Initializing..."));
  EXPECT_TRUE(Logged("Contact of call found and stored..."));
  std::vector<std::string> entries = FilesIn("Journal");
  ASSERT_EQ(entries.size(), 1u);
  pim::JournalEntry entry = pim::ReadJournal(ReadFile(entries[0])).value();
  EXPECT_EQ(entry.subject, T("#05203#") + " Ann Smith");
  // A blank before the line break; the file keeps no blank at the very end.
  std::string link = ContactsLink("Ann Smith");
  EXPECT_EQ(entry.body,
            "Ann Smith " + T("#05204#") + " \nContact: " + link.substr(0, link.size() - 1));
  // The name of the card, then the contact's own.
  EXPECT_EQ(entry.recipients, (std::vector<std::string>{"Ann Smith", "Smith, Ann"}));
  ASSERT_TRUE(entry.start && entry.end && entry.duration_minutes);
  EXPECT_EQ(shell::FormatUtcSeconds(*entry.start), "2026-12-04T10:50:05Z");
  EXPECT_EQ(shell::FormatUtcSeconds(*entry.end), "2026-12-04T10:55:05Z");
  EXPECT_EQ(*entry.duration_minutes, 5);
}

TEST_F(ActionsTest, AJournalEntryWhileTheCallRingsStartsNowWithoutDuration) {
  com::ComPtr<PIMAction> journal = Action(kActionStoreInJournal);
  Run(journal.get(), CallFrom("0123", "PHONENUMBER=0123;TYPE=outgoing;"));
  EXPECT_TRUE(Logged("Not in PIM: Reinit..."));
  EXPECT_FALSE(Logged("Contact of call found and stored..."));
  Run(journal.get(), nullptr);  // no contact, no call data
  std::vector<std::string> entries = FilesIn("Journal");
  ASSERT_EQ(entries.size(), 2u);
  std::vector<pim::JournalEntry> read;
  for (const std::string& file : entries) read.push_back(pim::ReadJournal(ReadFile(file)).value());
  std::sort(read.begin(), read.end(),
            [](const auto& a, const auto& b) { return a.subject > b.subject; });
  EXPECT_EQ(read[0].body, T("#05207#") + " 0123");
  EXPECT_EQ(read[1].body, T("#05203#"));  // the empty name: nothing after the lead
  for (const pim::JournalEntry& entry : read) {
    ASSERT_TRUE(entry.start && entry.duration_minutes);
    EXPECT_EQ(shell::FormatUtcSeconds(*entry.start), "2026-12-04T10:50:05Z");
    EXPECT_EQ(*entry.duration_minutes, 0);
  }
}

// A program that writes each argument it receives, NUL-terminated, to
// argv.out beside itself.
class LaunchTest : public ActionsTest {
 protected:
  void SetUp() override {
    ActionsTest::SetUp();
    fs::create_directories(tools());
    WriteFile(tools() + "/record",
              "#!/bin/sh\n"
              "out=\"$(dirname \"$0\")/argv.out\"\n"
              "for a in \"$0\" \"$@\"; do printf '%s\\0' \"$a\"; done > \"$out.tmp\"\n"
              "mv \"$out.tmp\" \"$out\"\n");
    ASSERT_EQ(chmod((tools() + "/record").c_str(), 0755), 0);
    launch_ = Action(kActionLaunchExe);
  }
  std::string tools() const { return temp_.Child("tools"); }
  // The arguments the program received; empty when it did not run within
  // ten seconds.
  std::vector<std::string> Received() {
    std::string file = tools() + "/argv.out";
    for (int i = 0; i < 1000 && !fs::exists(file); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::vector<std::string> argv;
    std::string text = fs::exists(file) ? ReadFile(file) : std::string();
    for (size_t start = 0, end; (end = text.find('\0', start)) != std::string::npos;
         start = end + 1) {
      argv.push_back(text.substr(start, end - start));
    }
    fs::remove(file);
    return argv;
  }
  std::string PathValue() {
    return ActionOf(launch_.get())->Setting("Path")->Value().ToString().value();
  }

  com::ComPtr<PIMAction> launch_;
};

TEST_F(LaunchTest, CallDataFillsThePlaceholdersOfEachWord) {
  Set(launch_.get(), "Path", com::Variant::String(tools()));
  Set(launch_.get(), "Arguments", com::Variant::String("record $1 \"$3 call\" $4$2"));
  Run(launch_.get(), CallFrom("0123", "PHONENUMBER=0123;TYPE=incoming;ORIGIN=sip;"));
  EXPECT_EQ(Received(),
            (std::vector<std::string>{tools() + "/record", "0123", "INC call", "sip;"}));
  EXPECT_EQ(PathValue(), tools() + "/");  // the separator stays in the setting
  EXPECT_TRUE(Logged("Arguments = record 0123 \"INC call\" sip;"));

  // Without a contact every placeholder stands for missing data.
  Run(launch_.get(), nullptr);
  EXPECT_TRUE(Logged("Item is nothing..."));
  EXPECT_EQ(Received(), (std::vector<std::string>{tools() + "/record", ";", "; call", ";;"}));
}

TEST_F(LaunchTest, CallDataIsNeverACommand) {
  Set(launch_.get(), "Path", com::Variant::String(tools() + "/"));
  Set(launch_.get(), "Arguments", com::Variant::String("record $1 $4"));
  std::string marker = temp_.Child("touched");
  Run(launch_.get(), CallFrom("1", "PHONENUMBER=1 && touch " + marker + " `reboot`|x>y;ORIGIN=$(touch " +
                                       marker + ")"));
  EXPECT_EQ(Received(), (std::vector<std::string>{tools() + "/record",
                                                  "1 && touch " + marker + " `reboot`|x>y",
                                                  "$(touch " + marker + ")"}));
  EXPECT_FALSE(fs::exists(marker));
}

TEST_F(LaunchTest, AProgramThatCannotStartIsToldInTheMessageWindowOnce) {
  Set(launch_.get(), "Path", com::Variant::String(temp_.Child("nowhere")));
  Set(launch_.get(), "Arguments", com::Variant::String("dial $1"));
  Run(launch_.get(), CallFrom("0123", "PHONENUMBER=0123;"));
  ASSERT_TRUE(desktop_.IsLoaded("frmMessageForm"));
  diag::frmMessageForm& window = diag::MessageForm();
  std::string told = "No such file or directory: " + temp_.Child("nowhere") + "/dial 0123.";
  EXPECT_EQ(window.Information().text(), told);
  EXPECT_EQ(window.caption(), ProductName());
  EXPECT_TRUE(window.ImgWarning().visible());
  // A second failure while the window is open only brings it forward.
  Set(launch_.get(), "Arguments", com::Variant::String("other"));
  int raised = window.foreground_requests();
  Run(launch_.get(), CallFrom("0123", ""));
  EXPECT_EQ(window.Information().text(), told);
  EXPECT_TRUE(window.visible());
  EXPECT_EQ(window.foreground_requests(), raised + 1);
  EXPECT_EQ(message_boxes_.shown.size(), 1u);  // said once, headless
}

}  // namespace
}  // namespace olconn97::testing
