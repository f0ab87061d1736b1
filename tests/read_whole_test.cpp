#include <gtest/gtest.h>

#include <vector>

#include "shell/file_io.h"
#include "shell/read_whole.h"
#include "tests/test_support.h"

namespace {
// A source of `available` bytes that records the size of every read.
struct RecordingSource {
  size_t available;
  size_t position = 0;
  std::vector<size_t> reads;
};

size_t ReadRecorded(void* handle, uint8_t* dest, size_t count) {
  auto* source = static_cast<RecordingSource*>(handle);
  source->reads.push_back(count);
  size_t left = source->available - source->position;
  size_t take = count < left ? count : left;
  for (size_t i = 0; i < take; ++i) dest[i] = static_cast<uint8_t>(source->position + i);
  source->position += take;
  return take;
}

std::vector<size_t> ReadsFor(size_t count, size_t available, size_t* result) {
  RecordingSource source{available, 0, {}};
  std::vector<uint8_t> buffer(count + 1);
  *result = ReadWholeWith(ReadRecorded, &source, buffer.data(), count);
  return source.reads;
}
}  // namespace

TEST(ReadWhole, ReadsInPiecesOf32768WithTheRestLast) {
  size_t result = 0;
  EXPECT_EQ(ReadsFor(32768, 32768, &result), (std::vector<size_t>{32768}));
  EXPECT_EQ(result, 32768u);
  EXPECT_EQ(ReadsFor(32769, 32769, &result), (std::vector<size_t>{32768, 1}));
  EXPECT_EQ(result, 32769u);
  EXPECT_EQ(ReadsFor(65536, 65536, &result), (std::vector<size_t>{32768, 32768}));
  EXPECT_EQ(result, 65536u);
  EXPECT_EQ(ReadsFor(5, 5, &result), (std::vector<size_t>{5}));
}

TEST(ReadWhole, AShortSourceOrAnEmptyCountIsAFailure) {
  size_t result = 1;
  ReadsFor(100000, 99999, &result);
  EXPECT_EQ(result, 0u);
  // A short first piece stops at once.
  EXPECT_EQ(ReadsFor(100000, 10, &result), (std::vector<size_t>{32768}));
  EXPECT_EQ(result, 0u);
  ReadsFor(0, 0, &result);
  EXPECT_EQ(result, 0u);
}

TEST(ReadWhole, ReadsARealFileByteForByteInBinaryMode) {
  ScratchFolder folder;
  Bytes bytes;
  // CR LF, Ctrl-Z and every other byte value: nothing may be translated.
  for (int round = 0; round < 300; ++round)
    for (int b = 0; b < 256; ++b) bytes.push_back(static_cast<uint8_t>(b));
  WriteFile(folder.File("all.bin"), bytes);
  FileHandle file = OpenForReading(folder.File("all.bin").c_str());
  ASSERT_TRUE(file);
  uint64_t size = 0;
  ASSERT_TRUE(MeasureFile(file.get(), &size));
  ASSERT_EQ(size, bytes.size());
  Bytes read(bytes.size());
  EXPECT_EQ(ReadWhole(file.get(), read.data(), read.size()), bytes.size());
  EXPECT_EQ(read, bytes);
}

TEST(FileIo, FoldersAndMissingFilesDoNotOpen) {
  ScratchFolder folder;
  EXPECT_FALSE(OpenForReading(folder.path.string().c_str()));
  EXPECT_FALSE(OpenForReading(folder.File("missing.gb").c_str()));
  EXPECT_FALSE(OpenForReading(""));
  EXPECT_FALSE(OpenForReading(nullptr));
}
