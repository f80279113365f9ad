#include "outside/jet/reader_pipe.h"

#include <poll.h>
#include <unistd.h>

#include <cstring>

namespace olconn97::jet {

using shell::RetryOnInterrupt;

constexpr size_t kChunk = 65536;

Status PipeWriter::BeginTable(const std::string& name, const std::vector<JetColumn>& columns) {
  Put('T');
  PutText(name);
  PutNumber(static_cast<uint32_t>(columns.size()));
  for (const JetColumn& column : columns) {
    PutText(column.name);
    PutText(column.declared_type);
  }
  return FlushIfFull();
}

Status PipeWriter::AddRow(const std::vector<JetCell>& row) {
  Put('R');
  for (const JetCell& cell : row) {
    Put(static_cast<char>(cell.kind));
    if (cell.kind == JetCell::Kind::kInteger) PutNumber(cell.integer);
    if (cell.kind == JetCell::Kind::kReal) PutNumber(cell.real);
    if (cell.kind == JetCell::Kind::kText || cell.kind == JetCell::Kind::kBlob) {
      PutText(cell.bytes);
    }
  }
  return FlushIfFull();
}

Status PipeWriter::Finish(const Status& outcome) {
  if (outcome.ok()) {
    Put('D');
  } else {
    Put('E');
    Put(static_cast<char>(outcome.code()));
    PutText(outcome.description());
  }
  return Flush();
}

void PipeWriter::PutText(std::string_view text) {
  PutNumber(static_cast<uint32_t>(text.size()));
  buffer_.append(text);
}

Status PipeWriter::FlushIfFull() { return buffer_.size() >= kChunk ? Flush() : Status::Ok(); }

Status PipeWriter::Flush() {
  Status written = shell::WriteAll(fd_, buffer_, "the pipe");
  buffer_.clear();
  return written;
}

Status PipeReader::ReceiveTables(JetTableSink& sink) {
  std::vector<JetColumn> columns;
  std::vector<JetCell> row;
  while (true) {
    OLC_ASSIGN_OR_RETURN(char tag, Byte());
    if (tag == 'D') return Status::Ok();
    if (tag == 'E') {
      OLC_ASSIGN_OR_RETURN(char code, Byte());
      OLC_ASSIGN_OR_RETURN(std::string description, Text());
      return Status::Error(static_cast<Code>(code), std::move(description));
    }
    if (tag == 'T') {
      OLC_ASSIGN_OR_RETURN(std::string name, Text());
      OLC_ASSIGN_OR_RETURN(uint32_t count, Number<uint32_t>());
      columns.assign(count, {});
      for (JetColumn& column : columns) {
        OLC_ASSIGN_OR_RETURN(column.name, Text());
        OLC_ASSIGN_OR_RETURN(column.declared_type, Text());
      }
      row.assign(count, {});
      OLC_RETURN_IF_ERROR(sink.BeginTable(name, columns));
    } else if (tag == 'R') {
      for (JetCell& cell : row) {
        OLC_ASSIGN_OR_RETURN(cell, ReceiveCell());
      }
      OLC_RETURN_IF_ERROR(sink.AddRow(row));
    } else {
      return Status::Failed("the reading process sent a frame of no known kind");
    }
  }
}

Result<JetCell> PipeReader::ReceiveCell() {
  JetCell cell;
  OLC_ASSIGN_OR_RETURN(char kind, Byte());
  cell.kind = static_cast<JetCell::Kind>(kind);
  switch (cell.kind) {
    case JetCell::Kind::kNull:
      break;
    case JetCell::Kind::kInteger: {
      OLC_ASSIGN_OR_RETURN(cell.integer, Number<int64_t>());
      break;
    }
    case JetCell::Kind::kReal: {
      OLC_ASSIGN_OR_RETURN(cell.real, Number<double>());
      break;
    }
    case JetCell::Kind::kText:
    case JetCell::Kind::kBlob: {
      OLC_ASSIGN_OR_RETURN(cell.bytes, Text());
      break;
    }
    default:
      return Status::Failed("the reading process sent a value of no known kind");
  }
  return cell;
}

Result<char> PipeReader::Byte() {
  OLC_RETURN_IF_ERROR(Want(1));
  return buffer_[at_++];
}

template <typename T>
Result<T> PipeReader::Number() {
  OLC_RETURN_IF_ERROR(Want(sizeof(T)));
  T number;
  std::memcpy(&number, buffer_.data() + at_, sizeof number);
  at_ += sizeof number;
  return number;
}

Result<std::string> PipeReader::Text() {
  OLC_ASSIGN_OR_RETURN(uint32_t size, Number<uint32_t>());
  OLC_RETURN_IF_ERROR(Want(size));
  std::string text = buffer_.substr(at_, size);
  at_ += size;
  return text;
}

// Waits until `size` bytes are at hand.
Status PipeReader::Want(size_t size) {
  while (buffer_.size() - at_ < size) {
    buffer_.erase(0, at_);
    at_ = 0;
    pollfd ready{fd_.get(), POLLIN, 0};
    int polled =
        RetryOnInterrupt([&] { return poll(&ready, 1, static_cast<int>(stall_limit_.count())); });
    if (polled == 0) {
      stalled_ = true;
      return Status::Corrupt("reading it stopped making progress");
    }
    char chunk[kChunk];
    ssize_t got = RetryOnInterrupt([&] { return read(fd_.get(), chunk, sizeof chunk); });
    if (got <= 0) {
      ended_ = true;
      return Status::Corrupt("reading it ended early");
    }
    buffer_.append(chunk, static_cast<size_t>(got));
  }
  return Status::Ok();
}

}  // namespace olconn97::jet
