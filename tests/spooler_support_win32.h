// What the print tests and the print benchmark need beside a private print scheduler (tests/with_spooler.sh):
// the Unix side reached from Wine, the spooled job, and its pages as Ghostscript puts them on paper.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/test_support.h"

std::string SpoolDir();                                // Unix path; "" outside with_spooler.sh
std::string WindowsPath(const std::string& unixPath);  // as Wine's drive Z: shows it
bool Exists(const std::string& unixPath);
void Remove(const std::string& unixPath);
// A shell command (holding no double quote) run on the Unix side: its exit
// status, -1 when it did not end in time; `output` takes what it printed.
int RunUnix(const std::string& command, std::string* output = nullptr, DWORD timeout = 120000);
std::string JobFile();                          // where the queue writes each job
bool WaitForSpooledJob(DWORD timeout = 60000);  // the queue empty and its file there

// One page as a printer puts it on paper: one bit a pixel, set for ink.
struct Page {
  int width = 0, height = 0, rowBytes = 0;
  Bytes bits;
  bool Ink(int x, int y) const {
    return x >= 0 && y >= 0 && x < width && y < height && (bits[y * rowBytes + x / 8] >> (7 - x % 8) & 1) != 0;
  }
};
// The pages of a PostScript or PDF file at 300 dpi, none when Ghostscript failed; with `keep` (a name with %d),
// grey pictures of them for a person.
std::vector<Page> Rasterize(const std::string& unixFile, const std::string& keep = "");

// GB text of `count` lines of about `cells` cells, each telling its number;
// with 80 cells, line 20 ends in a double-byte character begun in its last cell.
Bytes MakeDocument(int count, int cells);
std::string RealProgramPath();  // ZK.exe in the build tree
std::string NativeZk();         // the native zk, a Unix path
