#include "outside/jet/cursor.h"

#include <algorithm>

namespace olconn97::jet {

KeysetCursor::KeysetCursor(std::vector<int64_t> keys, size_t width)
    : keys_(std::move(keys)), width_(width == 0 ? 1 : width) {}

bool KeysetCursor::LandOn(int64_t index) {
  forgotten_ = false;
  if (index < 0) {
    index_ = -1;
    return false;
  }
  if (index >= static_cast<int64_t>(rows())) {
    index_ = static_cast<int64_t>(rows());
    return false;
  }
  index_ = index;
  reached_ = std::max(reached_, static_cast<size_t>(index) + 1);
  return true;
}

Result<bool> KeysetCursor::First() { return LandOn(0); }

Result<bool> KeysetCursor::Last() { return LandOn(static_cast<int64_t>(rows()) - 1); }

// After Forget the row that followed the deleted one has taken its index.
Result<bool> KeysetCursor::Next() { return LandOn(forgotten_ ? index_ : index_ + 1); }

Result<bool> KeysetCursor::Previous() { return LandOn(index_ - 1); }

std::span<const int64_t> KeysetCursor::Key() const {
  if (index_ < 0 || index_ >= static_cast<int64_t>(rows()) || forgotten_) return {};
  return std::span(keys_).subspan(static_cast<size_t>(index_) * width_, width_);
}

void KeysetCursor::Forget() {
  if (index_ < 0 || index_ >= static_cast<int64_t>(rows()) || forgotten_) return;
  auto begin = keys_.begin() + index_ * static_cast<int64_t>(width_);
  keys_.erase(begin, begin + static_cast<int64_t>(width_));
  if (static_cast<size_t>(index_) < reached_) --reached_;
  forgotten_ = true;
}

TableCursor::TableCursor(std::shared_ptr<Connection> connection, const std::string& quoted_table)
    : connection_(std::move(connection)) {
  std::string from = " FROM " + quoted_table;
  first_ = "SELECT rowid" + from + " ORDER BY rowid LIMIT 1";
  last_ = "SELECT rowid" + from + " ORDER BY rowid DESC LIMIT 1";
  next_ = "SELECT rowid" + from + " WHERE rowid > ?1 ORDER BY rowid LIMIT 1";
  previous_ = "SELECT rowid" + from + " WHERE rowid < ?1 ORDER BY rowid DESC LIMIT 1";
  count_ = "SELECT count(*)" + from;
}

Result<bool> TableCursor::Probe(const std::string& sql, bool has_from, Place if_none) {
  OLC_ASSIGN_OR_RETURN(Query query, connection_->Prepare(sql));
  if (has_from) OLC_RETURN_IF_ERROR(query.BindInteger(1, rowid_));
  OLC_ASSIGN_OR_RETURN(bool found, query.Step());
  if (!found) {
    place_ = if_none;
    return false;
  }
  rowid_ = query.ColumnInteger(0);
  place_ = Place::kOnRow;
  return true;
}

Result<bool> TableCursor::First() { return Probe(first_, false, Place::kAfterLast); }

Result<bool> TableCursor::Last() { return Probe(last_, false, Place::kBeforeFirst); }

Result<bool> TableCursor::Next() {
  if (place_ == Place::kBeforeFirst) return First();
  if (place_ == Place::kAfterLast) return false;
  return Probe(next_, true, Place::kAfterLast);
}

Result<bool> TableCursor::Previous() {
  if (place_ == Place::kAfterLast) return Last();
  if (place_ == Place::kBeforeFirst) return false;
  return Probe(previous_, true, Place::kBeforeFirst);
}

Result<int64_t> TableCursor::Count() {
  OLC_ASSIGN_OR_RETURN(Query query, connection_->Prepare(count_));
  OLC_ASSIGN_OR_RETURN(bool row, query.Step());
  return row ? query.ColumnInteger(0) : 0;
}

}  // namespace olconn97::jet
