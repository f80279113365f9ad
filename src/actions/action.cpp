#include "actions/action.h"

#include <utility>

#include "diag/localize.h"

namespace olconn97 {

namespace {

// CopyAction by name: no arguments, the copy as an object.
HRESULT InvokeCopyAction(IDispatch* self, com::ArgList args, VARIANT* result, int*) {
  if (!args.empty()) return DISP_E_BADPARAMCOUNT;
  Action* action = ActionOf(self);
  if (action == nullptr) return E_UNEXPECTED;
  com::ComPtr<PIMAction> copy = action->CopyAction();
  if (result != nullptr) {
    VariantInit(result);
    result->vt = VT_DISPATCH;
    result->pdispVal = copy.Detach();
  }
  return S_OK;
}

// After the interface's six.
constexpr DISPID kCopyActionDispid = 7;

}  // namespace

Action::Action(int32_t id, std::string_view name_code)
    : id_(id), name_code_(name_code), properties_(NewActionProperties()) {}

bool Action::ExecuteAction(Contact** item) {
  Contact* none = nullptr;
  // A host that passes no variable still gets the action run.
  Execute(item != nullptr ? item : &none);
  if (item == nullptr && none != nullptr) none->Release();
  return false;
}

std::string Action::ActionName() const { return T(name_code_); }

void Action::CopyValuesTo(const Action& copy) const {
  for (int32_t position = 1; position <= properties().Count(); ++position) {
    Result<com::ComPtr<ActionProperty>> mine = properties().Item(com::Variant::I4(position).raw());
    if (!mine.ok()) continue;
    cActionProperty* from = PropertyOf(mine.value().get());
    cActionProperty* to = copy.Setting(from->Key());
    if (to != nullptr) to->Value(from->Value().raw());
  }
}

std::vector<com::MemberEntry> Action::MembersWith(std::vector<com::MemberEntry> extra) {
  std::vector<com::MemberEntry> members = com::DispatchTableOf<PIMAction>().entries();
  members.push_back({"CopyAction", kCopyActionDispid, com::MemberKind::kFunc, &InvokeCopyAction});
  for (com::MemberEntry& entry : extra) members.push_back(entry);
  return members;
}

const com::DispatchTable& Action::ClassDispatchTable() {
  static const com::DispatchTable table(MembersWith({}), "PIMAction");
  return table;
}

Action* ActionOf(IUnknown* action) { return com::ImplOf<Action>(action); }

std::string T(std::string_view code) {
  return TextResources().GetText(code).value_or(std::string(code));
}

}  // namespace olconn97
