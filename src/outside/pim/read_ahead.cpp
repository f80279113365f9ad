#include "outside/pim/read_ahead.h"

#include <algorithm>
#include <span>
#include <utility>

#include "outside/pim/objects.h"
#include "outside/pim/store_files.h"
#include "outside/shell/file_batch.h"
#include "outside/shell/file_io.h"

namespace olconn97::pim {

ItemReadAhead::ItemReadAhead(std::string directory, const std::vector<std::string>& files,
                             size_t first, EntryIdParts folder_id)
    : directory_(std::move(directory)),
      folder_id_(std::move(folder_id)),
      files_(files),
      next_(first) {
  worker_ = std::thread([this, first] { Run(first); });
}

ItemReadAhead::~ItemReadAhead() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  worker_.join();
}

void ItemReadAhead::Run(size_t first) {
  // The folder's path (a linked book's symbolic link included) is resolved
  // once; each file is then opened by its name alone.
  shell::ScopedFd folder = shell::OpenFolder(directory_);
  // Small files come a batch at a time; any other is read alone below, once
  // there is room for it.
  shell::FileBatchReader batch_reader(folder.get());
  std::vector<std::optional<std::string>> batch;
  size_t batch_first = first;
  for (size_t position = first; position < files_.size(); ++position) {
    if (position == batch_first + batch.size()) {
      batch_first = position;
      size_t count = std::min(shell::FileBatchReader::kMaxBatch, files_.size() - position);
      batch = batch_reader.Read(std::span(files_).subspan(position, count));
    }
    {
      std::unique_lock<std::mutex> lock(mutex_);
      auto room = [this] {
        return stop_ || (waiting_.size() < kMaxWaiting && waiting_bytes_ < kMaxWaitingBytes);
      };
      if (!room()) {
        reader_waits_ = true;
        // Fewer files than a batch may fill the room when they are large.
        if (taker_waits_) changed_.notify_all();
        changed_.wait(lock, room);
        reader_waits_ = false;
      }
      if (stop_) return;
    }
    const std::string& name = files_[position];
    PreparedFile file;
    std::optional<std::string>& read = batch[position - batch_first];
    if (read) {
      file.bytes = std::move(*read);
    } else {
      file.bytes = folder.valid() ? ReadItemFileAt(folder.get(), directory_, name)
                                  : ReadItemFile(directory_ + "/" + name);
    }
    file.size = file.bytes.ok() ? file.bytes.value().size() : 0;
    if (file.bytes.ok() && ItemKindOfFile(name) == ItemFileKind::kContact) {
      // The card keeps the bytes themselves. One that does not parse leaves
      // why to the caller, who reports it.
      Result<ContactCard> card = ContactCard::ParseOwned(std::move(file.bytes).value());
      if (card.ok()) {
        file.bytes = std::string();
        file.card = std::move(card).value();
        file.entry_id = EncodeEntryId({folder_id_.store_id, folder_id_.folder_key, name});
      } else {
        file.bytes = card.status();
      }
    }
    bool wake;
    std::vector<com::ComPtr<Item>> released;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      waiting_bytes_ += file.size;
      waiting_.push_back(std::move(file));
      reader_done_ = position + 1 == files_.size();
      wake = taker_waits_ && (waiting_.size() >= kWakeBatch || reader_done_);
      released.swap(given_back_);
    }
    if (wake) changed_.notify_all();
    released.clear();
  }
}

std::optional<PreparedFile> ItemReadAhead::Take(size_t position) {
  if (position != next_ || position >= files_.size()) return std::nullopt;
  if (taken_first_ == taken_.size()) TakeBatch();
  ++next_;
  return std::move(taken_[taken_first_++]);
}

void ItemReadAhead::GiveBack(std::vector<com::ComPtr<Item>>& items) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!reader_done_) {
      given_back_.insert(given_back_.end(), std::make_move_iterator(items.begin()),
                         std::make_move_iterator(items.end()));
    }
  }
  items.clear();  // handed over, or released here once the reader has stopped
}

void ItemReadAhead::TakeBatch() {
  std::unique_lock<std::mutex> lock(mutex_);
  if (waiting_.empty()) {
    // A batch, not the next file alone: the reader, when it is the slower
    // of the two, would otherwise wake the caller for every file.
    taker_waits_ = true;
    changed_.wait(lock, [this] {
      return waiting_.size() >= kWakeBatch || reader_done_ || (reader_waits_ && !waiting_.empty());
    });
    taker_waits_ = false;
  }
  // Every file waiting at once: one lock per batch, not per file.
  taken_.clear();
  taken_first_ = 0;
  taken_.swap(waiting_);
  waiting_bytes_ = 0;
  const bool wake = reader_waits_;
  lock.unlock();
  if (wake) changed_.notify_all();
}

}  // namespace olconn97::pim
