// The store's items by the PIM's member names.
#include "outside/pim/item_classes.h"
#include "outside/pim/windows.h"

namespace olconn97::pim {

namespace {

using com::Arguments;
using com::DynamicMember;
using com::Variant;

Result<Variant> NoValue(Status status) {
  if (!status.ok()) return status;
  return Variant();
}

Result<Variant> DateValue(Result<shell::WallTime> time) {
  if (!time.ok()) return time.status();
  return Variant::Date(shell::ToAutomationDate(time.value()));
}

// A date from an argument: an automation date, or a text as the filters read it.
Result<shell::WallTime> DateArgument(const Variant& value) {
  if (value.vt() == VT_BSTR) {
    OLC_ASSIGN_OR_RETURN(std::string text, value.ToString());
    struct std::tm parsed {};
    for (const char* form : {"%x %X", "%x %H:%M", "%x %I:%M:%S %p", "%x %I:%M %p", "%x",
                             "%d/%m/%Y %H:%M:%S", "%d/%m/%Y %H:%M", "%Y-%m-%d %H:%M:%S"}) {
      parsed = {};
      const char* end = strptime(text.c_str(), form, &parsed);
      if (end != nullptr && *end == '\0') return shell::FromLocalTime(parsed);
    }
    return Status::InvalidArgument("Type mismatch: not a date: " + text);
  }
  OLC_ASSIGN_OR_RETURN(double date, value.ToDouble());
  return shell::FromAutomationDate(date);
}

// Members every item class has.
template <typename T>
std::vector<DynamicMember<T>> CommonMembers(std::string message_class) {
  return {
      {"EntryID",
       [](T& self, Arguments) -> Result<Variant> { return Variant::String(self.EntryID()); }},
      {"Class",
       [](T& self, Arguments) -> Result<Variant> {
         return Variant::I4(static_cast<int32_t>(self.Class()));
       }},
      {"MessageClass",
       [message_class](T&, Arguments) -> Result<Variant> {
         return Variant::String(message_class);
       }},
      {"Parent",
       [](T& self, Arguments) -> Result<Variant> { return com::ObjectValue(self.ParentFolder()); }},
      {"LastModificationTime",
       [](T& self, Arguments) -> Result<Variant> {
         return DateValue(self.LastModificationTime());
       }},
      {"Save", [](T& self, Arguments) -> Result<Variant> { return NoValue(self.Save()); }},
      {"Delete", [](T& self, Arguments) -> Result<Variant> { return NoValue(self.Delete()); }},
      {"GetInspector",
       [](T& self, Arguments) -> Result<Variant> { return com::ObjectValue(self.GetInspector()); }},
      {"Display",
       [](T& self, Arguments) -> Result<Variant> {
         return NoValue(self.GetInspector()->Display());
       }},
      {"Close",
       [](T& self, Arguments args) -> Result<Variant> {
         OLC_ASSIGN_OR_RETURN(Variant mode, com::Argument(args, 0));
         OLC_ASSIGN_OR_RETURN(int32_t code, mode.ToInt32());
         return NoValue(self.GetInspector()->Close(code));
       }},
  };
}

// A read-write text member over the text `field` gives of an item.
template <typename T, typename Field>
DynamicMember<T> TextMember(std::string name, Field field) {
  return {std::move(name),
          [field](T& self, Arguments) -> Result<Variant> { return Variant::String(field(self)); },
          [field](T& self, Arguments, const Variant& value) -> Status {
            OLC_ASSIGN_OR_RETURN(field(self), value.ToString());
            return Status::Ok();
          }};
}

template <typename T>
void AddCardProperties(std::vector<DynamicMember<T>>* members) {
  for (const std::string& name : ContactCardPropertyNames()) {
    members->push_back({name,
                        [name](T& self, Arguments) -> Result<Variant> {
                          return com::Text(self.CardProperty(name));
                        },
                        [name](T& self, Arguments, const Variant& value) -> Status {
                          OLC_ASSIGN_OR_RETURN(std::string text, value.ToString());
                          return self.SetCardProperty(name, text);
                        }});
  }
}

}  // namespace

const com::MemberList<ContactItem>& ContactItem::Members() {
  using Self = ContactItem;
  static const com::MemberList<Self> members([] {
    std::vector<DynamicMember<Self>> list = CommonMembers<Self>("IPM.Contact");
    AddCardProperties(&list);
    list.push_back({"UserProperties", [](Self& self, Arguments) -> Result<Variant> {
                      return com::ObjectValue(self.GetUserProperties());
                    }});
    return list;
  }());
  return members;
}

const com::MemberList<DistListItem>& DistListItem::Members() {
  using Self = DistListItem;
  static const com::MemberList<Self> members([] {
    std::vector<DynamicMember<Self>> list = CommonMembers<Self>("IPM.DistList");
    AddCardProperties(&list);  // answered with the distribution list's refusal
    list.push_back({"DLName", [](Self& self, Arguments) -> Result<Variant> {
                      return Variant::String(self.Caption());
                    }});
    return list;
  }());
  return members;
}

const com::MemberList<MailItem>& MailItem::Members() {
  using Self = MailItem;
  static const com::MemberList<Self> members([] {
    std::vector<DynamicMember<Self>> list = CommonMembers<Self>("IPM.Note");
    list.push_back({"Recipients", [](Self& self, Arguments) -> Result<Variant> {
                      return com::ObjectValue(self.GetRecipients());
                    }});
    list.push_back(TextMember<Self>(
        "Subject", [](Self& self) -> std::string& { return self.message().subject; }));
    list.push_back(
        TextMember<Self>("Body", [](Self& self) -> std::string& { return self.message().body; }));
    list.push_back(
        {"Send", [](Self& self, Arguments) -> Result<Variant> { return NoValue(self.Send()); }});
    return list;
  }());
  return members;
}

const com::MemberList<JournalItem>& JournalItem::Members() {
  using Self = JournalItem;
  static const com::MemberList<Self> members([] {
    std::vector<DynamicMember<Self>> list = CommonMembers<Self>("IPM.Activity");
    list.push_back({"Recipients", [](Self& self, Arguments) -> Result<Variant> {
                      return com::ObjectValue(self.GetRecipients());
                    }});
    list.push_back(TextMember<Self>(
        "Subject", [](Self& self) -> std::string& { return self.entry().subject; }));
    list.push_back(
        TextMember<Self>("Body", [](Self& self) -> std::string& { return self.entry().body; }));
    list.push_back({"Start",
                    [](Self& self, Arguments) -> Result<Variant> {
                      if (!self.entry().start) return Variant();
                      return DateValue(*self.entry().start);
                    },
                    [](Self& self, Arguments, const Variant& value) -> Status {
                      OLC_ASSIGN_OR_RETURN(shell::WallTime start, DateArgument(value));
                      self.SetStart(start);
                      return Status::Ok();
                    }});
    list.push_back({"End",
                    [](Self& self, Arguments) -> Result<Variant> {
                      if (!self.entry().end) return Variant();
                      return DateValue(*self.entry().end);
                    },
                    [](Self& self, Arguments, const Variant& value) -> Status {
                      OLC_ASSIGN_OR_RETURN(shell::WallTime end, DateArgument(value));
                      self.SetEnd(end);
                      return Status::Ok();
                    }});
    list.push_back({"Duration",
                    [](Self& self, Arguments) -> Result<Variant> {
                      return Variant::I4(self.entry().duration_minutes.value_or(0));
                    },
                    [](Self& self, Arguments, const Variant& value) -> Status {
                      OLC_ASSIGN_OR_RETURN(int32_t minutes, value.ToInt32());
                      self.SetDurationMinutes(minutes);
                      return Status::Ok();
                    }});
    list.push_back({"Type", [](Self&, Arguments) -> Result<Variant> {
                      return Variant::String("Phone call");
                    }});
    return list;
  }());
  return members;
}

}  // namespace olconn97::pim
