// Helpers shared by the test suites: scratch folders and files, and small
// hand-made fonts whose glyphs tell which one was drawn.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

Bytes ToBytes(const std::string& text);

// The parts one after another.
Bytes Join(std::initializer_list<Bytes> parts);

// Paths as ZK keeps them, in UTF-8, to and from the library's paths (which
// on Windows would read a narrow string in the ANSI code page).
std::filesystem::path PathFromUtf8(const std::string& path);
std::string Utf8FromPath(const std::filesystem::path& path);

// A fresh, empty folder for one test; removed by the destructor. File()
// gives the UTF-8 path of a name in it.
struct ScratchFolder {
  ScratchFolder();
  ~ScratchFolder();
  std::filesystem::path path;
  std::string File(const std::string& name) const;
};

void WriteFile(const std::string& path, const Bytes& bytes);
Bytes ReadFile(const std::string& path);

// A font of `size` bytes in which every glyph is recognisable: byte k of the
// single-byte glyph of c is c ^ k; the bytes of wide glyph g hold the low
// and high byte of g + 1 in rows 0 and 1 (never all clear) and k elsewhere.
Bytes MakeMarkedFont(size_t size);

// The wide glyph number recorded in 32 glyph bytes of a marked font.
int MarkedGlyphNumber(const uint8_t* glyph);

// A file that measures more bytes than a read gives (a kernel attribute file
// measures a whole page and holds a line), for read failures; empty where the
// system has none.
std::string ShortReadingFile();

// A device on which every write fails as on a full disk: /dev/full, under
// Wine Z:\dev\full; empty where there is none.
std::string FullDevice();

// Makes the program's next call of `call` (fread, fseeko or fdopen), after
// `passing` that go through, fail as a system may fail it; "thread" makes
// starting a thread fail until the next change. "" lets all through again.
// False where tests cannot reach the system's calls (Windows).
bool FailSystemCall(const std::string& call, int passing = 0);

// Resets every process-wide value the core keeps to its start-up state. The
// core suites do it around every test (core_state.cpp).
void ResetCoreState();

// For allowed = 0, 1, 2, ...: `prepare`, then `operation` with only its
// first `allowed` allocations let through, until a run succeeds; after each
// failed run `afterFailure` checks what it left (its message, its state).
// Returns the allocations the successful run needed.
int FailEachAllocation(const std::function<void()>& prepare, const std::function<bool()>& operation,
                       const std::function<void(int allowed)>& afterFailure);

// The same without the headless prompts, which the viewer's own tests
// replace with real message boxes.
void ResetSharedState();

// Runs a shell command; its exit status (-1 when it did not exit) and
// standard output.
struct CommandRun {
  int status;
  std::string output;
};
CommandRun RunCommand(const std::string& command);
