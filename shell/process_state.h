// The program's process-wide records, all together.
#pragma once

// Puts every process-wide record back as the program starts: the document,
// its code and lines, the settings, the view and the selection, the font,
// the decode tables and the line bitmap, the converters' mode and output,
// the print job, the program's path and the allocations let through.
void ResetProcessState();
