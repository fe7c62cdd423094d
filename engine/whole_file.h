#pragma once
// Reading a file whole into memory, with a ceiling on its size.
//
//   std::string text;
//   const WholeFileRead result = ReadWholeFile("GAME/Shaders/Vertex/Sprite.glsl", text);
//   if (result != WholeFileRead::kRead) Report(path, DescribeWholeFileRead(result));
//
// Every data file the game reads whole (shader sources, the plain-text formats, JSON) goes
// through here, so no file can make the game read without end: a special file such as
// /dev/zero, or a file far larger than any the game ships, is refused once kMaxWholeFileBytes
// have been read. The path is used as given (callers normalise it first). Nothing throws
// except std::bad_alloc.

#include <cstddef>
#include <string>

// Largest file read whole: 8 MiB, many times the largest data file of the game.
constexpr std::size_t kMaxWholeFileBytes = 8u * 1024u * 1024u;

enum class WholeFileRead {
  kRead,        // `contents` holds the file
  kNotOpened,   // the file does not exist or cannot be opened
  kReadFailed,  // it opened but a read failed (a folder, for one)
  kTooLarge,    // it holds more than the ceiling
};

// Replaces `contents` with the file's bytes; on any result but kRead `contents` is empty.
WholeFileRead ReadWholeFile(const std::string& path, std::string& contents,
                            std::size_t maxBytes = kMaxWholeFileBytes);

// A short text for a result, for error lines: "cannot be opened", "cannot be read",
// "is larger than 8388608 bytes".
std::string DescribeWholeFileRead(WholeFileRead result, std::size_t maxBytes = kMaxWholeFileBytes);
