// A run of document text as UTF-16, the form other programs take text in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The characters of bytes[0..n) in `code` (an HZ text is held in GB) as
// UTF-16: each by its Unicode form, a byte that is no character as U+FFFD,
// every line end as CR LF; a byte-order mark opening the run is left out.
std::u16string TextAsUtf16(int code, const uint8_t* bytes, size_t n);
