#include "outside/shell/file_batch.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "outside/shell/file_io.h"
#include "test_support.h"

namespace olconn97::shell {
namespace {

using olconn97::testing::TempDir;
using olconn97::testing::WriteFile;

size_t OpenDescriptors() {
  size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    ++count;
  }
  return count;
}

// Every name of a batch comes back in its place: whole when it is a small
// file, and otherwise nothing, for the caller to read (or fail on) itself.
TEST(FileBatchReaderTest, ReadsSmallFilesWholeAndLeavesTheRestToTheCaller) {
  TempDir folder;
  const size_t buffer = FileBatchReader::kBufferBytes;
  std::vector<std::string> names;
  std::vector<std::string> expected;  // "" marks a file left to the caller
  auto add = [&](const std::string& name, const std::string& content, bool whole) {
    WriteFile(folder.Child(name), content);
    names.push_back(name);
    expected.push_back(whole ? content : std::string());
  };
  for (int i = 0; i < 12; ++i) {
    add("c" + std::to_string(i) + ".vcf", "card " + std::to_string(i), true);
  }
  add("empty.vcf", "", true);
  add("nearly.vcf", std::string(buffer - 1, 'n'), true);
  add("full.vcf", std::string(buffer, 'f'), false);  // may go on: read it alone
  add("large.vcf", std::string(3 * buffer + 5, 'l'), false);
  names.push_back("missing.vcf");
  expected.emplace_back();
  ASSERT_EQ(symlink(folder.Child("c1.vcf").c_str(), folder.Child("link.vcf").c_str()), 0);
  names.push_back("link.vcf");  // never followed
  expected.emplace_back();
  ASSERT_EQ(mkdir(folder.Child("dir.vcf").c_str(), 0700), 0);
  names.push_back("dir.vcf");
  expected.emplace_back();
  add("last.vcf", "the last one", true);
  ASSERT_LE(names.size(), FileBatchReader::kMaxBatch);

  ScopedFd fd(open(folder.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  ASSERT_TRUE(fd.valid());
  FileBatchReader reader(fd.get());
  if (!reader.available()) GTEST_SKIP() << "this kernel (or sandbox) offers no io_uring";
  const size_t descriptors = OpenDescriptors();
  for (int round = 0; round < 3; ++round) {  // the ring serves batch after batch
    std::vector<std::optional<std::string>> contents = reader.Read(names);
    ASSERT_EQ(contents.size(), names.size());
    for (size_t i = 0; i < names.size(); ++i) {
      bool whole = !expected[i].empty() || names[i] == "empty.vcf";
      ASSERT_EQ(contents[i].has_value(), whole) << names[i];
      if (whole) {
        EXPECT_TRUE(*contents[i] == expected[i]) << names[i];
      }
    }
  }
  EXPECT_EQ(OpenDescriptors(), descriptors);  // every file opened was closed
  EXPECT_TRUE(reader.Read({}).empty());
}

TEST(FileBatchReaderTest, WithoutAFolderNothingIsRead) {
  FileBatchReader reader(-1);
  EXPECT_FALSE(reader.available());
  std::vector<std::string> names = {"a.vcf", "b.vcf"};
  std::vector<std::optional<std::string>> contents = reader.Read(names);
  ASSERT_EQ(contents.size(), 2u);
  EXPECT_FALSE(contents[0].has_value());
  EXPECT_FALSE(contents[1].has_value());
}

}  // namespace
}  // namespace olconn97::shell
