// The store's objects by the PIM's member names, for hosts that receive
// them through automation.
#include "outside/pim/item_classes.h"
#include "outside/pim/objects.h"
#include "outside/pim/windows.h"

namespace olconn97::pim {

namespace {

using com::Arguments;
using com::Variant;

template <typename T>
Result<Variant> Value(Result<com::ComPtr<T>> object) {
  if (!object.ok()) return object.status();
  return com::ObjectValue(object.value());
}

Result<int32_t> IntArgument(Arguments args, size_t index) {
  OLC_ASSIGN_OR_RETURN(Variant value, com::Argument(args, index));
  return value.ToInt32();
}

Result<std::string> TextArgument(Arguments args, size_t index) {
  OLC_ASSIGN_OR_RETURN(Variant value, com::Argument(args, index));
  return value.ToString();
}

// An optional text argument (a store ID), empty when left out.
Result<std::string> OptionalText(Arguments args, size_t index) {
  if (index >= args.size() || args[index].IsMissing()) return std::string();
  return args[index].ToString();
}

Result<Variant> NoValue(Status status) {
  if (!status.ok()) return status;
  return Variant();
}

}  // namespace

const com::MemberList<Application>& Application::Members() {
  using Self = Application;
  static const com::MemberList<Self> members({
      {"Version",
       [](Self& self, Arguments) -> Result<Variant> { return Variant::String(self.Version()); }},
      {"Name", [](Self&, Arguments) -> Result<Variant> { return Variant::String("Outlook"); }},
      {"GetNamespace",
       [](Self& self, Arguments args) -> Result<Variant> {
         OLC_ASSIGN_OR_RETURN(std::string type, TextArgument(args, 0));
         return Value(self.GetNamespace(type));
       }},
      {"Session",
       [](Self& self, Arguments) -> Result<Variant> { return Value(self.GetNamespace("MAPI")); }},
      {"CreateItem",
       [](Self& self, Arguments args) -> Result<Variant> {
         OLC_ASSIGN_OR_RETURN(int32_t kind, IntArgument(args, 0));
         return Value(self.CreateItem(kind));
       }},
      {"ActiveInspector",
       [](Self& self, Arguments) -> Result<Variant> {
         return com::ObjectValue(self.ActiveInspector());
       }},
      {"ActiveExplorer",
       [](Self& self, Arguments) -> Result<Variant> {
         return com::ObjectValue(self.ActiveExplorer());
       }},
  });
  return members;
}

const com::MemberList<NameSpace>& NameSpace::Members() {
  using Self = NameSpace;
  static const com::MemberList<Self> members({
      {"Type", [](Self&, Arguments) -> Result<Variant> { return Variant::String("MAPI"); }},
      {"GetDefaultFolder",
       [](Self& self, Arguments args) -> Result<Variant> {
         OLC_ASSIGN_OR_RETURN(int32_t code, IntArgument(args, 0));
         return Value(self.GetDefaultFolder(code));
       }},
      {"GetItemFromID",
       [](Self& self, Arguments args) -> Result<Variant> {
         OLC_ASSIGN_OR_RETURN(std::string id, TextArgument(args, 0));
         OLC_ASSIGN_OR_RETURN(std::string store, OptionalText(args, 1));
         return Value(self.GetItemFromID(id, store));
       }},
      {"GetFolderFromID",
       [](Self& self, Arguments args) -> Result<Variant> {
         OLC_ASSIGN_OR_RETURN(std::string id, TextArgument(args, 0));
         OLC_ASSIGN_OR_RETURN(std::string store, OptionalText(args, 1));
         return Value(self.GetFolderFromID(id, store));
       }},
      {"Folders",
       [](Self& self, Arguments) -> Result<Variant> {
         return com::ObjectValue(self.TopFolders());
       }},
  });
  return members;
}

const com::MemberList<MAPIFolder>& MAPIFolder::Members() {
  using Self = MAPIFolder;
  static const com::MemberList<Self> members({
      {"Name",
       [](Self& self, Arguments) -> Result<Variant> { return Variant::String(self.Name()); },
       [](Self& self, Arguments, const Variant& value) -> Status {
         OLC_ASSIGN_OR_RETURN(std::string name, value.ToString());
         return self.SetName(name);
       }},
      {"EntryID",
       [](Self& self, Arguments) -> Result<Variant> { return Variant::String(self.EntryID()); }},
      {"StoreID",
       [](Self& self, Arguments) -> Result<Variant> { return Variant::String(self.StoreID()); }},
      {"Parent",
       [](Self& self, Arguments) -> Result<Variant> {
         com::ComPtr<MAPIFolder> parent = self.ParentFolder();
         if (parent) return com::ObjectValue(parent);
         // The top folder's parent is the name space, which has no name.
         auto session = self.context().session.lock();
         if (!session) return Status::Unavailable("the store's application is closed");
         return com::ObjectValue(com::MakeObject<NameSpace>(session));
       }},
      {"DefaultItemType",
       [](Self& self, Arguments) -> Result<Variant> {
         return Variant::I4(self.DefaultItemType());
       }},
      {"Folders",
       [](Self& self, Arguments) -> Result<Variant> {
         return com::ObjectValue(self.Subfolders());
       }},
      {"Items", [](Self& self, Arguments) -> Result<Variant> { return Value(self.GetItems()); }},
      {"GetExplorer",
       [](Self& self, Arguments) -> Result<Variant> {
         return com::ObjectValue(self.GetExplorer());
       }},
      {"Display", [](Self& self, Arguments) -> Result<Variant> { return NoValue(self.Display()); }},
      {"FolderPath",
       [](Self& self, Arguments) -> Result<Variant> { return Variant::String(self.path()); }},
  });
  return members;
}

const com::MemberList<Folders>& Folders::Members() {
  using Self = Folders;
  static const com::MemberList<Self> members({
      {"Item",
       [](Self& self, Arguments args) -> Result<Variant> {
         OLC_ASSIGN_OR_RETURN(Variant key, com::Argument(args, 0));
         if (key.vt() == VT_BSTR) return Value(self.ItemNamed(key.ToString().value()));
         OLC_ASSIGN_OR_RETURN(int32_t index, key.ToInt32());
         return Value(self.Item(index));
       },
       nullptr, DISPID_VALUE},
      {"Count", [](Self& self, Arguments) -> Result<Variant> { return Variant::I4(self.Count()); }},
      {"Add",
       [](Self& self, Arguments args) -> Result<Variant> {
         OLC_ASSIGN_OR_RETURN(std::string name, TextArgument(args, 0));
         int32_t type = kFolderInbox;
         if (args.size() > 1 && !args[1].IsMissing()) {
           OLC_ASSIGN_OR_RETURN(type, args[1].ToInt32());
         }
         return Value(self.Add(name, type));
       }},
      {"_NewEnum",
       [](Self& self, Arguments) -> Result<Variant> {
         std::vector<Variant> all;
         for (int32_t i = 1; i <= self.Count(); ++i)
           all.push_back(Value(self.Item(i)).value_or(Variant()));
         return Variant::Unknown(com::MakeEnumerator(std::move(all)).get());
       },
       nullptr, DISPID_NEWENUM},
  });
  return members;
}

const com::MemberList<Items>& Items::Members() {
  using Self = Items;
  static const com::MemberList<Self> members({
      {"Item",
       [](Self& self, Arguments args) -> Result<Variant> {
         OLC_ASSIGN_OR_RETURN(int32_t index, IntArgument(args, 0));
         return Value(self.Item(index));
       },
       nullptr, DISPID_VALUE},
      {"Count", [](Self& self, Arguments) -> Result<Variant> { return Variant::I4(self.Count()); }},
      {"Add",
       [](Self& self, Arguments args) -> Result<Variant> {
         int32_t kind = kContactItem;
         if (!args.empty() && !args[0].IsMissing()) {
           OLC_ASSIGN_OR_RETURN(kind, args[0].ToInt32());
         }
         return Value(self.Add(kind));
       }},
      {"Restrict",
       [](Self& self, Arguments args) -> Result<Variant> {
         OLC_ASSIGN_OR_RETURN(std::string filter, TextArgument(args, 0));
         return Value(self.Restrict(filter));
       }},
      {"Find",
       [](Self& self, Arguments args) -> Result<Variant> {
         OLC_ASSIGN_OR_RETURN(std::string filter, TextArgument(args, 0));
         return Value(self.Find(filter));
       }},
      {"_NewEnum",
       [](Self& self, Arguments) -> Result<Variant> {
         std::vector<Variant> all;
         for (int32_t i = 1; i <= self.Count(); ++i) {
           Result<com::ComPtr<pim::Item>> item = self.Item(i);
           if (item.ok()) all.push_back(com::ObjectValue(item.value()));
         }
         return Variant::Unknown(com::MakeEnumerator(std::move(all)).get());
       },
       nullptr, DISPID_NEWENUM},
  });
  return members;
}

}  // namespace olconn97::pim
