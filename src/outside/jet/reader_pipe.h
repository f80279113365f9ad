// The pipe between the process that reads a Jet file (jet_file.h) and the
// process that asked for it. Frames, in the byte order of the machine both
// sides run on: 'T' a table (name, column count, each column's name and
// declared type), 'R' a row (per column a JetCell::Kind byte and its
// value), 'D' done, 'E' a failure (its code byte and description). Texts go
// as a 32-bit length and their bytes.
#ifndef OLCONN97_OUTSIDE_JET_READER_PIPE_H_
#define OLCONN97_OUTSIDE_JET_READER_PIPE_H_

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "outside/jet/mdb_reader.h"
#include "outside/shell/file_io.h"

namespace olconn97::jet {

// The reading side's end: the tables as they are read, then how it ended.
class PipeWriter final : public JetTableSink {
 public:
  explicit PipeWriter(int fd) : fd_(fd) {}

  Status BeginTable(const std::string& name, const std::vector<JetColumn>& columns) override;
  Status AddRow(const std::vector<JetCell>& row) override;
  // Sends 'D' for a success, else the failure, and everything not sent yet.
  Status Finish(const Status& outcome);

 private:
  void Put(char byte) { buffer_ += byte; }
  template <typename T>
  void PutNumber(T number) {
    buffer_.append(reinterpret_cast<const char*>(&number), sizeof number);
  }
  void PutText(std::string_view text);
  Status FlushIfFull();
  Status Flush();

  int fd_;
  std::string buffer_;
};

// The asking side's end.
class PipeReader {
 public:
  // The writer may take up to `stall_limit` for each piece it sends.
  PipeReader(shell::ScopedFd fd, std::chrono::milliseconds stall_limit)
      : fd_(std::move(fd)), stall_limit_(stall_limit) {}

  // Hands the tables to `sink` until the writer is done, and returns how it
  // ended: its own failure, the sink's, or kCorrupt when it stalled
  // (stalled()) or ended without finishing (ended()).
  Status ReceiveTables(JetTableSink& sink);

  bool stalled() const { return stalled_; }
  bool ended() const { return ended_; }

 private:
  Result<JetCell> ReceiveCell();
  Result<char> Byte();
  template <typename T>
  Result<T> Number();
  Result<std::string> Text();
  Status Want(size_t size);

  shell::ScopedFd fd_;
  std::chrono::milliseconds stall_limit_;
  std::string buffer_;
  size_t at_ = 0;
  bool stalled_ = false;
  bool ended_ = false;
};

}  // namespace olconn97::jet

#endif  // OLCONN97_OUTSIDE_JET_READER_PIPE_H_
