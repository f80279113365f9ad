// The parameters of a content line, read in place without copying:
// `;TYPE=WORK,VOICE`, 2.1 bare `;WORK;VOICE`, quoted values, `PREF=1`.
#ifndef OLCONN97_OUTSIDE_PIM_VCARD_VCARD_PARAMS_H_
#define OLCONN97_OUTSIDE_PIM_VCARD_VCARD_PARAMS_H_

#include <string_view>

namespace olconn97::pim {

struct VCardParam {
  std::string_view name;   // empty for a bare 2.1 parameter
  std::string_view value;  // as written, quotes included
  std::string_view raw;    // ";name=value" exactly as in the parameter text
};

// Walks the parameter text of a line (ContentLine::params()).
class ParamReader {
 public:
  explicit ParamReader(std::string_view params) : rest_(params) {}
  // False when there are no more parameters. Empty ones (";;") are skipped.
  bool Next(VCardParam* param);

 private:
  std::string_view rest_;
};

// The value without surrounding double quotes.
std::string_view Unquote(std::string_view value);

// Calls fn(item) for each comma-separated item of a parameter value, quotes
// removed, blanks around an item trimmed, empty items skipped. Commas inside
// quotes separate too: 4.0 writes TYPE="work,voice" for a list.
template <typename F>
void ForEachValueItem(std::string_view value, F&& fn) {
  size_t start = 0;
  while (start <= value.size()) {
    size_t comma = value.find(',', start);
    if (comma == std::string_view::npos) comma = value.size();
    std::string_view item = value.substr(start, comma - start);
    while (!item.empty() && (item.front() == '"' || item.front() == ' ')) item.remove_prefix(1);
    while (!item.empty() && (item.back() == '"' || item.back() == ' ')) item.remove_suffix(1);
    if (!item.empty()) fn(item);
    start = comma + 1;
  }
}

// A 2.1 bare parameter that names a value encoding (QUOTED-PRINTABLE, ...).
bool IsBareEncoding(std::string_view bare);

// The first parameter named `upper` (any case); false when there is none.
bool FindParam(std::string_view params, std::string_view upper, VCardParam* found);

// Whether the line's value is quoted-printable: ENCODING=QUOTED-PRINTABLE or
// the 2.1 bare form.
bool IsQuotedPrintable(std::string_view params);

}  // namespace olconn97::pim

#endif  // OLCONN97_OUTSIDE_PIM_VCARD_VCARD_PARAMS_H_
