// What the print tests and the print benchmark need beside a private print
// scheduler (tests/with_spooler.sh): the Unix side reached from Wine, the
// spooled job, and its pages as Ghostscript puts them on paper.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/test_support.h"

// The scheduler's folder (Unix path), "" outside with_spooler.sh.
std::string SpoolDir();

// A Unix path as Wine's drive Z: shows it.
std::string WindowsPath(const std::string& unixPath);

bool Exists(const std::string& unixPath);

// Runs a shell command (holding no double quote) on the Unix side; its exit
// status, -1 when it did not end in time. `output` takes what it printed.
int RunUnix(const std::string& command, std::string* output = nullptr, DWORD timeout = 120000);

// The file the queue writes each job into; the job has been written whole.
std::string JobFile();
bool WaitForSpooledJob();

// One page as a printer puts it on paper: one bit a pixel, set for ink.
struct Page {
  int width = 0;
  int height = 0;
  int rowBytes = 0;
  Bytes bits;
  bool Ink(int x, int y) const {
    if (bits.empty() || x < 0 || y < 0 || x >= width || y >= height) return false;
    return (bits[static_cast<size_t>(y) * rowBytes + x / 8] >> (7 - x % 8) & 1) != 0;
  }
};

// The pages of a PostScript or PDF file at 300 dpi. With `keep` (a file
// name pattern with %d), also grey pictures of them for a person to look at.
// None when Ghostscript failed.
std::vector<Page> Rasterize(const std::string& unixFile, const std::string& keep = "");

// A GB document of `count` lines, each telling its number, of about `cells`
// cells; with 80 cells, line 20 ends in a double-byte character begun in its
// last cell.
Bytes MakeDocument(int count, int cells);

// The folder of this program, and the real ZK.exe in the build tree.
std::string ProgramFolder();
std::string RealProgramPath();
