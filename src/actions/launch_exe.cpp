#include <utility>

#include "actions/actions.h"
#include "actions/call_contact.h"
#include "base/strings.h"
#include "contact/contact.h"
#include "core/shared_state.h"
#include "diag/log.h"
#include "diag/message_form.h"
#include "outside/shell/shell.h"
#include "outside/ui/desktop.h"

namespace olconn97 {

namespace {

constexpr char kPathKey[] = "Path";
constexpr char kArgumentsKey[] = "Arguments";

// After the interface's six and CopyAction.
constexpr DISPID kIsFormLoadedDispid = 8;

HRESULT InvokeIsFormLoaded(IDispatch*, com::ArgList args, VARIANT* result, int* argument_error) {
  if (args.size() != 1 || args[0] == nullptr) return DISP_E_BADPARAMCOUNT;
  com::Variant name;
  HRESULT hr = com::CoerceArgument(args[0], VT_BSTR, &name);
  if (FAILED(hr)) {
    *argument_error = 0;
    return hr;
  }
  if (result != nullptr) {
    VariantInit(result);
    result->vt = VT_BOOL;
    result->boolVal = ActionLaunchExe::NIsFormLoaded(name.ToString().value()) ? VARIANT_TRUE
                                                                              : VARIANT_FALSE;
  }
  return S_OK;
}

// The text of a setting; a value that is no text (an object the host put
// there) fails.
Result<std::string> SettingText(const cActionProperty& setting, std::string_view key) {
  Result<std::string> text = setting.Value().ToString();
  if (!text.ok()) {
    return Status::InvalidArgument("the setting \"" + std::string(key) + "\" holds no text",
                                   "ActionLaunchExe");
  }
  return text;
}

std::string OrMissing(std::string value) { return value.empty() ? ";" : std::move(value); }

void ReplaceAll(std::string& text, std::string_view placeholder, std::string_view value) {
  size_t at = 0;
  while ((at = text.find(placeholder, at)) != std::string::npos) {
    text.replace(at, placeholder.size(), value);
    at += value.size();
  }
}

}  // namespace

ActionLaunchExe::ActionLaunchExe() : Action(kActionLaunchExe, "#05400#") {
  properties().AddProperty(kPathKey, T("#05401#"), com::Variant::String(""), kPropertyText);
  properties().AddProperty(kArgumentsKey, T("#05402#"), com::Variant::String(""), kPropertyText);
}

com::ComPtr<PIMAction> ActionLaunchExe::CopyAction() const {
  com::ComPtr<PIMAction> copy = MakeAction<ActionLaunchExe>();
  CopyValuesTo(*ActionOf(copy.get()));
  return copy;
}

bool ActionLaunchExe::NIsFormLoaded(std::string_view form_name) {
  return Shared().services.desktop().IsLoaded(form_name);
}

const com::DispatchTable& ActionLaunchExe::ClassDispatchTable() {
  static const com::DispatchTable table(
      MembersWith({{"NIsFormLoaded", kIsFormLoadedDispid, com::MemberKind::kFunc,
                    &InvokeIsFormLoaded}}),
      "PIMAction");
  return table;
}

std::string ReplacePlaceholders(std::string text, const Placeholders& values) {
  ReplaceAll(text, "$1", OrMissing(values.phone));
  ReplaceAll(text, "$2", OrMissing(values.local));
  ReplaceAll(text, "$3", values.call_type.empty()        ? ";"
                         : values.call_type == "outgoing" ? "OUT"
                                                          : "INC");
  ReplaceAll(text, "$4", OrMissing(values.origin));
  return text;
}

std::vector<std::string> SplitCommandWords(std::string_view text) {
  std::vector<std::string> words;
  std::string word;
  bool in_word = false;
  bool quoted = false;
  for (char c : text) {
    if (c == '"') {
      quoted = !quoted;
      in_word = true;  // "" is an empty word of its own
    } else if (!quoted && (c == ' ' || c == '\t')) {
      if (in_word) words.push_back(std::move(word));
      word.clear();
      in_word = false;
    } else {
      word += c;
      in_word = true;
    }
  }
  if (in_word) words.push_back(std::move(word));
  return words;
}

// The command line is never handed to a shell: the "Arguments" text is
// split into words first and the call data then replaces the placeholders
// inside each word, so a caller's number can change the text of an
// argument but never add an argument, a command or a redirection.
void ActionLaunchExe::Execute(Contact** item) {
  cActionProperty& path = *Setting(kPathKey);
  cActionProperty& arguments = *Setting(kArgumentsKey);
  diag::Log("LAUNCH EXE -------------------");
  Result<std::string> path_text = SettingText(path, kPathKey);
  Result<std::string> arguments_text = SettingText(arguments, kArgumentsKey);
  for (const Status& failure : {path_text.status(), arguments_text.status()}) {
    if (failure.ok()) continue;
    diag::Log("Error while launching exe: " + failure.description() + " In " + failure.source() +
              "...");
    return;
  }
  diag::Log("Application Path = " + path_text.value());
  diag::Log("Arguments = " + arguments_text.value());
  com::ComPtr<Contact> spare = SpareContact(/*not_in_pim=*/false);
  if (*item == nullptr) {
    ContactOf(spare.get())->SetNotInPIM(true);
    PutContact(item, spare);
    diag::Log("Item is nothing...");
  }
  CallContact contact(*item);
  Placeholders values;
  values.origin = contact.CallValue("ORIGIN=");
  diag::Log("From Popup PersonalData(CALLORIGIN)=" + values.origin);
  values.call_type = contact.CallValue("TYPE=");
  diag::Log("From Popup PersonalData(CALLTYPE)=" + values.call_type);
  values.local = contact.CallValue("LOCALNUMBER=");
  diag::Log("From Popup PersonalData(LOCALNUMBER)=" + values.local);
  values.phone = contact.CallValue("PHONENUMBER=");
  diag::Log("From Popup PersonalData(PHONENUMBER)=" + values.phone);
  std::string args = ReplacePlaceholders(arguments_text.value(), values);
  diag::Log("Arguments = " + args);
  // The folder and the program's name are joined by "/"; the property
  // keeps the separator for later runs.
  std::string folder = path_text.value();
  if (!folder.ends_with('/') && !args.starts_with('/')) {
    folder += '/';
    path.Value(com::Variant::String(folder).raw());
  }

  std::vector<std::string> argv = SplitCommandWords(arguments_text.value());
  for (std::string& word : argv) word = ReplacePlaceholders(std::move(word), values);
  if (argv.empty()) argv.emplace_back();
  argv[0] = folder + argv[0];
  std::string command_line = folder + args;
  Result<int> started = Shared().services.shell().StartProgram(argv);
  if (started.ok()) return;
  if (!NIsFormLoaded(diag::kMessageFormName)) {
    std::string title(diag::kNoTitle);
    diag::MessageForm().MsgFrm(started.status().description() + ": " + command_line + ".",
                               diag::kMessageWarning, title);
  } else {
    // The message already shown comes forward again; this one is not shown.
    diag::frmMessageForm& window = diag::MessageForm();
    (void)window.Show();
    window.SetForeground();
  }
}

}  // namespace olconn97
