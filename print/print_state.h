// The print job under way: its page layout, header and footer templates and
// where it stands.
#pragma once

#include <cstddef>

#include "print/page_layout.h"

constexpr size_t TemplateCapacity = 256;

struct PrintStateRecord {
  PageLayout layout;  // margins, printable area and the slots of this job
  char headerText[TemplateCapacity] = "";
  char footerText[TemplateCapacity] = "";
  int totalPages = 0;
  int currentPage = 0;
  bool userAbort = false;
};

extern PrintStateRecord PrintState;
