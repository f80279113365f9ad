// Reading many small files of one folder with few system calls. Where the
// kernel offers io_uring, a batch of files is opened with one call and read
// and closed with a second, where reading them one by one costs three calls
// a file (a walk through a store reads thousands of cards of a few hundred
// bytes, and on a virtual machine each call is dear). Where it does not (an
// older kernel, a sandbox that forbids it), the reader is not available and
// the caller reads each file itself.
#ifndef OLCONN97_OUTSIDE_SHELL_FILE_BATCH_H_
#define OLCONN97_OUTSIDE_SHELL_FILE_BATCH_H_

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace olconn97::shell {

class FileBatchReader {
 public:
  static constexpr size_t kMaxBatch = 32;
  // A file that fills this is left to the caller, who reads it whole.
  static constexpr size_t kBufferBytes = size_t{16} << 10;

  // Reads in the folder `folder_fd`, which outlives the reader. One thread
  // uses a reader at a time.
  explicit FileBatchReader(int folder_fd);
  ~FileBatchReader();
  FileBatchReader(const FileBatchReader&) = delete;
  FileBatchReader& operator=(const FileBatchReader&) = delete;

  bool available() const { return ring_ != nullptr; }

  // For each of `names` (at most kMaxBatch), in order: the content of the
  // file the name has in the folder (opened as a card is, without following
  // a symbolic link), or nothing when the caller must read it itself: it
  // could not be opened or read, it may be larger than kBufferBytes, or the
  // reader is not available.
  std::vector<std::optional<std::string>> Read(std::span<const std::string> names);

 private:
  struct Ring;

  const int folder_fd_;
  std::unique_ptr<Ring> ring_;
  std::unique_ptr<char[]> buffers_;
};

}  // namespace olconn97::shell

#endif  // OLCONN97_OUTSIDE_SHELL_FILE_BATCH_H_
