// The name of the open file, as the frame's title and the printout show it.
#pragma once

#include <cstddef>

// Sets Document.fileName from `path`; a null path keeps the name it had. A
// name too long for the field is cut.
void SetDocumentFileName(const char* path);

// The frame's title: `title`, then " - " and the path when one is given. The
// result is cut to fit `destSize`.
void ComposeFrameTitle(char* dest, size_t destSize, const char* title, const char* path);
