#include "outside/shell/file_batch.h"

#include <fcntl.h>
#include <linux/io_uring.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <functional>
#include <optional>

namespace olconn97::shell {

namespace {

// Opened as a card read alone is.
constexpr int kOpenFlags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
// A read and a close per file at most.
constexpr unsigned kEntries = 2 * FileBatchReader::kMaxBatch;
// io_uring_enter calls in a row that may fail for want of kernel memory
// before the reader gives up.
constexpr int kMaxRetries = 1000;

unsigned Load(const unsigned* value) {
  return std::atomic_ref<unsigned>(*const_cast<unsigned*>(value)).load(std::memory_order_acquire);
}
void Store(unsigned* value, unsigned v) {
  std::atomic_ref<unsigned>(*value).store(v, std::memory_order_release);
}

// A region the kernel shares with the ring; unmapped with it.
struct Mapping {
  void* address = MAP_FAILED;
  size_t size = 0;
  Mapping(int fd, size_t bytes, off_t offset)
      : address(
            mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE, fd, offset)),
        size(bytes) {}
  Mapping(const Mapping&) = delete;
  Mapping& operator=(const Mapping&) = delete;
  ~Mapping() {
    if (valid()) munmap(address, size);
  }
  bool valid() const { return address != MAP_FAILED; }
  char* bytes() const { return static_cast<char*>(address); }
};

}  // namespace

struct FileBatchReader::Ring {
  int fd = -1;
  std::optional<Mapping> rings;            // the submission ring, and the completion ring with it
  std::optional<Mapping> completion_ring;  // where the kernel maps the two apart
  std::optional<Mapping> entries;
  unsigned* sq_tail = nullptr;
  unsigned sq_mask = 0;
  unsigned* sq_array = nullptr;
  io_uring_sqe* sqes = nullptr;
  unsigned* cq_head = nullptr;
  const unsigned* cq_tail = nullptr;
  unsigned cq_mask = 0;
  const io_uring_cqe* cqes = nullptr;

  ~Ring() {
    rings.reset();
    completion_ring.reset();
    entries.reset();
    if (fd >= 0) close(fd);
  }

  bool Open() {
    io_uring_params params{};
    fd = static_cast<int>(syscall(__NR_io_uring_setup, kEntries, &params));
    if (fd < 0) return false;
    size_t sq_size = params.sq_off.array + params.sq_entries * sizeof(unsigned);
    size_t cq_size = params.cq_off.cqes + params.cq_entries * sizeof(io_uring_cqe);
    const bool single = (params.features & IORING_FEAT_SINGLE_MMAP) != 0;
    if (single) sq_size = cq_size = std::max(sq_size, cq_size);
    rings.emplace(fd, sq_size, IORING_OFF_SQ_RING);
    if (!rings->valid()) return false;
    char* cq = rings->bytes();
    if (!single) {
      completion_ring.emplace(fd, cq_size, IORING_OFF_CQ_RING);
      if (!completion_ring->valid()) return false;
      cq = completion_ring->bytes();
    }
    entries.emplace(fd, params.sq_entries * sizeof(io_uring_sqe), IORING_OFF_SQES);
    if (!entries->valid()) return false;
    char* sq = rings->bytes();
    sq_tail = reinterpret_cast<unsigned*>(sq + params.sq_off.tail);
    sq_mask = *reinterpret_cast<unsigned*>(sq + params.sq_off.ring_mask);
    sq_array = reinterpret_cast<unsigned*>(sq + params.sq_off.array);
    sqes = static_cast<io_uring_sqe*>(entries->address);
    cq_head = reinterpret_cast<unsigned*>(cq + params.cq_off.head);
    cq_tail = reinterpret_cast<const unsigned*>(cq + params.cq_off.tail);
    cq_mask = *reinterpret_cast<unsigned*>(cq + params.cq_off.ring_mask);
    cqes = reinterpret_cast<const io_uring_cqe*>(cq + params.cq_off.cqes);
    return true;
  }

  // The next free entry, cleared; the caller submits as many as it took.
  io_uring_sqe& Next(unsigned* tail) {
    unsigned index = *tail & sq_mask;
    io_uring_sqe& entry = sqes[index];
    std::memset(&entry, 0, sizeof entry);
    sq_array[index] = index;
    ++*tail;
    return entry;
  }

  // Submits the `count` entries taken since the last call and hands each
  // completion to `done`. False when the kernel refused: what was submitted
  // and not reported may still be under way, and the ring is of no further
  // use.
  bool Run(unsigned count, const std::function<void(const io_uring_cqe&)>& done) {
    unsigned submitted = 0;
    unsigned completed = 0;
    int failures = 0;
    while (completed < count) {
      long entered = syscall(__NR_io_uring_enter, fd, count - submitted, 1, IORING_ENTER_GETEVENTS,
                             nullptr, 0);
      if (entered < 0) {
        if ((errno == EINTR || errno == EAGAIN || errno == EBUSY) && ++failures < kMaxRetries) {
          continue;
        }
        return false;
      }
      submitted += static_cast<unsigned>(entered);
      unsigned head = *cq_head;
      const unsigned tail = Load(cq_tail);
      for (; head != tail; ++head, ++completed) done(cqes[head & cq_mask]);
      Store(cq_head, head);
    }
    return true;
  }
};

FileBatchReader::FileBatchReader(int folder_fd) : folder_fd_(folder_fd) {
  auto ring = std::make_unique<Ring>();
  if (folder_fd_ < 0 || !ring->Open()) return;
  ring_ = std::move(ring);
  buffers_ = std::make_unique<char[]>(kMaxBatch * kBufferBytes);
}

FileBatchReader::~FileBatchReader() = default;

std::vector<std::optional<std::string>> FileBatchReader::Read(std::span<const std::string> names) {
  std::vector<std::optional<std::string>> contents(names.size());
  if (!ring_ || names.empty() || names.size() > kMaxBatch) return contents;
  Ring& ring = *ring_;

  // Every file opened at once.
  std::vector<int> fds(names.size(), -1);
  unsigned tail = *ring.sq_tail;
  for (size_t i = 0; i < names.size(); ++i) {
    io_uring_sqe& open = ring.Next(&tail);
    open.opcode = IORING_OP_OPENAT;
    open.fd = folder_fd_;
    open.addr = reinterpret_cast<uintptr_t>(names[i].c_str());
    open.open_flags = kOpenFlags;
    open.user_data = i;
  }
  Store(ring.sq_tail, tail);
  bool opened = ring.Run(static_cast<unsigned>(names.size()),
                         [&](const io_uring_cqe& done) { fds[done.user_data] = done.res; });
  // A kernel that knows the ring but not these operations fails every open
  // alike; the caller then reads this batch and the next ones itself.
  bool unsupported = std::all_of(fds.begin(), fds.end(), [](int fd) { return fd == -EINVAL; });
  if (!opened || unsupported) {
    ring_.reset();
    for (int fd : fds) {
      if (fd >= 0) close(fd);  // reported open, so ours alone
    }
    return contents;
  }

  // Each open one read into its buffer, then closed even when the read fails.
  unsigned count = 0;
  std::vector<int> lengths(names.size(), -1);
  tail = *ring.sq_tail;
  for (size_t i = 0; i < names.size(); ++i) {
    if (fds[i] < 0) continue;
    io_uring_sqe& entry = ring.Next(&tail);
    entry.opcode = IORING_OP_READ;
    entry.fd = fds[i];
    entry.addr = reinterpret_cast<uintptr_t>(buffers_.get() + i * kBufferBytes);
    entry.len = kBufferBytes;
    entry.off = 0;
    entry.flags = IOSQE_IO_HARDLINK;
    entry.user_data = 2 * i;
    io_uring_sqe& closing = ring.Next(&tail);
    closing.opcode = IORING_OP_CLOSE;
    closing.fd = fds[i];
    closing.user_data = 2 * i + 1;
    count += 2;
  }
  Store(ring.sq_tail, tail);
  bool ran = ring.Run(count, [&](const io_uring_cqe& done) {
    if (done.user_data % 2 == 0) lengths[done.user_data / 2] = done.res;
  });
  if (!ran) {
    // A close not reported may yet happen: closing the descriptor here could
    // close another thread's file of the same number. Left open instead.
    ring_.reset();
    return contents;
  }
  for (size_t i = 0; i < names.size(); ++i) {
    // A short read of a regular file is its end; a full buffer may not be.
    if (lengths[i] < 0 || static_cast<size_t>(lengths[i]) >= kBufferBytes) continue;
    contents[i].emplace(buffers_.get() + i * kBufferBytes, static_cast<size_t>(lengths[i]));
  }
  return contents;
}

}  // namespace olconn97::shell
