#pragma once
// Reading a document or style sheet file whole, with a ceiling on its size: a link to a special
// file such as /dev/zero, or to a file far larger than any document, is refused once the
// ceiling has been read, instead of being read until memory runs out.

#include <cstddef>

#include "rml/types.h"

namespace Rml {

// Largest document or style sheet read: 8 MiB, many times any the game ships.
constexpr std::size_t kMaxFileBytes = 8u * 1024u * 1024u;

// Replaces contents with the bytes of the file at path. Returns false with contents empty and
// the reason in error ("cannot be opened", "cannot be read", "is larger than 8388608 bytes").
bool ReadFileWhole(const String& path, String& contents, String& error,
                   std::size_t max_bytes = kMaxFileBytes);

}  // namespace Rml
