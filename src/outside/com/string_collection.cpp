#include "outside/com/string_collection.h"

namespace olconn97::com {

Result<std::string> StringCollection::Item(int32_t index) const {
  if (index < 1 || index > Count()) {
    return Status::InvalidArgument("Array index out of bounds").WithNumber(DISP_E_BADINDEX);
  }
  return items_[static_cast<size_t>(index - 1)];
}

const MemberList<StringCollection>& StringCollection::Members() {
  using Self = StringCollection;
  static const MemberList<Self> members({
      {"Item",
       [](Self& self, Arguments args) -> Result<Variant> {
         OLC_ASSIGN_OR_RETURN(Variant index, Argument(args, 0));
         OLC_ASSIGN_OR_RETURN(int32_t position, index.ToInt32());
         return Text(self.Item(position));
       },
       nullptr, DISPID_VALUE},
      {"Count", [](Self& self, Arguments) -> Result<Variant> { return Variant::I4(self.Count()); }},
      {"Add",
       [](Self& self, Arguments args) -> Result<Variant> {
         OLC_ASSIGN_OR_RETURN(Variant value, Argument(args, 0));
         OLC_ASSIGN_OR_RETURN(std::string text, value.ToString());
         self.Add(std::move(text));
         return Variant();
       }},
      {"_NewEnum",
       [](Self& self, Arguments) -> Result<Variant> {
         std::vector<Variant> all;
         for (const std::string& item : self.items()) all.push_back(Variant::String(item));
         return Variant::Unknown(MakeEnumerator(std::move(all)).get());
       },
       nullptr, DISPID_NEWENUM},
  });
  return members;
}

}  // namespace olconn97::com
