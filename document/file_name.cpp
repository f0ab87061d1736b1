#include "document/file_name.h"

#include <cstdio>
#include <cstring>

#include "document/document.h"

namespace {
// The last component of `path`: what follows its last "\" (or "/"), or the
// whole path when it has neither.
const char* LastPathComponent(const char* path) {
  const char* name = path;
  for (const char* p = path; *p != '\0'; ++p) {
    if (*p == '\\' || *p == '/') name = p + 1;
  }
  return name;
}
}  // namespace

void SetDocumentFileName(const char* path) {
  if (path == nullptr) return;
  std::snprintf(Document.fileName, sizeof Document.fileName, "%s", LastPathComponent(path));
}

void ComposeFrameTitle(char* dest, size_t destSize, const char* title, const char* path) {
  if (dest == nullptr || destSize == 0) return;
  if (path == nullptr)
    std::snprintf(dest, destSize, "%s", title);
  else
    std::snprintf(dest, destSize, "%s - %s", title, path);
}
