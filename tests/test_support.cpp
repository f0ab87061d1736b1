#include "tests/test_support.h"

#include <atomic>
#include <cstdio>
#include <fstream>
#include <random>
#include <tuple>

#ifndef _WIN32
#include <pthread.h>
#include <sys/wait.h>

#include <cerrno>
#endif

#include "document/glyph_font.h"
#include "shell/process_state.h"

Bytes ToBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

std::filesystem::path PathFromUtf8(const std::string& path) {
  return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
  std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

ScratchFolder::ScratchFolder() {
  static std::atomic<int> counter{0};
  std::random_device seed;
  path =
      std::filesystem::temp_directory_path() / ("zk-test-" + std::to_string(seed()) + "-" + std::to_string(counter++));
  std::filesystem::create_directories(path);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path, ignored);
}

std::string ScratchFolder::File(const std::string& name) const { return Utf8FromPath(path / PathFromUtf8(name)); }

void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(PathFromUtf8(path), std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadFile(const std::string& path) {
  std::ifstream in(PathFromUtf8(path), std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes MakeMarkedFont(size_t size) {
  Bytes font(size, 0);
  for (size_t offset = 0; offset < size && offset < WideGlyphArea; ++offset) {
    font[offset] = static_cast<uint8_t>((offset / 16) ^ (offset % 16));
  }
  for (size_t offset = WideGlyphArea; offset < size; ++offset) {
    size_t g = (offset - WideGlyphArea) / 32, k = (offset - WideGlyphArea) % 32;
    font[offset] = static_cast<uint8_t>(k == 0 ? (g + 1) & 0xFF : k == 1 ? ((g + 1) >> 8) & 0xFF : k);
  }
  return font;
}

int MarkedGlyphNumber(const uint8_t* glyph) { return (glyph[0] | (glyph[1] << 8)) - 1; }

std::string ShortReadingFile() {
  for (const char* path : {"/sys/kernel/profiling", "/sys/kernel/mm/transparent_hugepage/enabled"}) {
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) continue;
    std::fseek(file, 0, SEEK_END);
    long size = std::ftell(file);
    std::fseek(file, 0, SEEK_SET);
    char buffer[8192];
    size_t got = std::fread(buffer, 1, sizeof buffer, file);
    std::fclose(file);
    if (size > 0 && got < static_cast<size_t>(size)) return path;
  }
  return "";
}

std::string FullDevice() {
#ifdef _WIN32
  const char* path = "Z:\\dev\\full";  // the system's device, as Wine shows it
#else
  const char* path = "/dev/full";
#endif
  FILE* file = std::fopen(path, "wb");
  if (file == nullptr) return "";
  std::fclose(file);
  return path;
}

#ifndef _WIN32
namespace {
std::string failingCall;
int callsPassing = 0;

bool Fails(const char* call) {
  if (failingCall != call || callsPassing-- > 0) return false;
  failingCall.clear();
  return true;
}
}  // namespace

// The test programs are linked with --wrap for these calls.
extern "C" {
size_t __real_fread(void* dest, size_t size, size_t count, FILE* file);
int __real_fseeko(FILE* file, off_t offset, int whence);
FILE* __real_fdopen(int descriptor, const char* mode);
// A read that fails takes nothing, as at an early end of the file.
size_t __wrap_fread(void* dest, size_t size, size_t count, FILE* file) {
  return Fails("fread") ? 0 : __real_fread(dest, size, count, file);
}
int __wrap_fseeko(FILE* file, off_t offset, int whence) {
  return Fails("fseeko") ? (errno = EIO, -1) : __real_fseeko(file, offset, whence);
}
FILE* __wrap_fdopen(int descriptor, const char* mode) {
  return Fails("fdopen") ? (errno = ENOMEM, nullptr) : __real_fdopen(descriptor, mode);
}
}

bool FailSystemCall(const std::string& call, int passing) {
  std::tie(failingCall, callsPassing) = std::make_pair(call, passing);
  // A thread whose stack is larger than the address space cannot start.
  static pthread_attr_t usual, huge;
  [[maybe_unused]] static const bool made = pthread_getattr_default_np(&usual) == 0 &&
                                            pthread_getattr_default_np(&huge) == 0 &&
                                            pthread_attr_setstacksize(&huge, size_t{1} << 50) == 0;
  pthread_setattr_default_np(call == "thread" ? &huge : &usual);
  return true;
}
#else
bool FailSystemCall(const std::string& call, int) { return call.empty(); }
#endif

void ResetSharedState() {
  ResetProcessState();
  FailSystemCall("");
}

#ifndef _WIN32
CommandRun RunCommand(const std::string& command) {
  CommandRun run{-1, ""};
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, n);
  int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}
#endif
