// One message catalog in gettext's .po form: the translations of one
// language, keyed by message code ("#21002#").
//
// The reader follows the .po grammar that msgfmt accepts: comments, flags,
// msgctxt, msgid, msgid_plural, msgstr and msgstr[n], strings continued on
// following lines, C escapes. Fuzzy entries and untranslated ones (an empty
// msgstr) are left out, as msgfmt leaves them out; the header entry is read
// only for its charset, which must be UTF-8. A catalog that is not valid
// UTF-8, breaks the grammar, ends inside an entry or holds one message twice
// is refused whole.
#ifndef OLCONN97_OUTSIDE_TEXTRES_PO_CATALOG_H_
#define OLCONN97_OUTSIDE_TEXTRES_PO_CATALOG_H_

#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "base/result.h"

namespace olconn97::textres {

class Catalog {
 public:
  // The translation of `msgid` (without context), or null when the catalog
  // has none. For a plural entry, the singular translation.
  const std::string* Find(std::string_view msgid) const;
  size_t size() const { return messages_.size(); }

 private:
  friend class PoReader;
  std::map<std::string, std::string, std::less<>> messages_;
};

// kCorrupt, with the line number in the description, when the text is not a
// well-formed catalog.
Result<Catalog> ParsePo(std::string_view text);

}  // namespace olconn97::textres

#endif  // OLCONN97_OUTSIDE_TEXTRES_PO_CATALOG_H_
