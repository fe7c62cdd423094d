#pragma once
// Reading the game's plain-text data files (meshes, animations, model lists, sequences, tile
// maps) one whitespace-separated token at a time.
//
// Usage:
//
//   TextScanner scanner("GAME/Assets/Animations/walk.txt");   // or TextScanner::FromText(...)
//   std::string texture;
//   int clipCount = 0;
//   if (!scanner.ReadWord(texture) || !scanner.ReadCount(clipCount, kMaxClips)) return sheet;
//   for (int i = 0; i < clipCount; ++i) {
//     std::string name; int first = 0; int last = 1; float rate = 60.0f;
//     scanner.ReadWord(name); scanner.ReadInt(first); scanner.ReadInt(last);
//     scanner.ReadFloat(rate);                 // values that cannot be read keep their defaults
//   }
//   if (!scanner.AtEnd()) { ... }
//
// Rules every reader can rely on:
// - A token is a run of characters other than white space (blank, tab, line feed, carriage
//   return, vertical tab, form feed). A token longer than the scanner's maximum length is cut
//   to that length and the rest of it is skipped, so an overlong word still counts as one
//   token and the fields after it stay in place.
// - Every Read function consumes exactly one token when one is left, whether or not the token
//   could be read as the asked type. A bad token therefore never stops the scanner, and a loop
//   of reads always reaches the end of the file.
// - When a Read function returns false (bad token, or end of the text) its output is left
//   exactly as it was, so readers preset their defaults and read over them.
// - Numbers must fill the whole token: "12" reads as an int, "12abc" and "1.5" do not; a number
//   out of the type's range, a float that is not finite, and a cut token do not read either.
// - A file that does not open (or cannot be read, or is larger than kMaxWholeFileBytes, which
//   is also reported on standard output) reads as an empty text: every Read returns false and
//   AtEnd() is true. IsOpen() tells the two apart.
//
// The whole file is read into memory when the scanner is built; nothing here throws except
// std::bad_alloc.

#include <cstddef>
#include <string>
#include <string_view>

class TextScanner {
 public:
  // Longest token a reader gets back: the 255 characters of the game's token buffers.
  static constexpr std::size_t kDefaultMaxTokenLength = 255;

  // Opens and reads the file at `path` (normalized: backslashes become '/', a leading "./" is
  // dropped). A missing or unreadable file gives an empty scanner with IsOpen() false.
  explicit TextScanner(std::string_view path, std::size_t maxTokenLength = kDefaultMaxTokenLength);

  // A scanner over text already in memory (IsOpen() is true).
  static TextScanner FromText(std::string text,
                              std::size_t maxTokenLength = kDefaultMaxTokenLength);

  // True when the file opened and was read (always true for FromText).
  bool IsOpen() const { return opened; }

  // True when nothing but white space is left.
  bool AtEnd() const;

  // Line (from 1) of the token read last, for error messages; 0 before the first read.
  int Line() const { return tokenLine; }

  // The next token, at most the maximum length (see the rules above). False at the end.
  bool ReadWord(std::string& word);

  // The next token as an int. `base` is as for strtol: 10 reads decimal only; 0 also reads
  // "0x1F" as hexadecimal and "017" as octal (the C "%i" conversion).
  bool ReadInt(int& value, int base = 10);

  // The next token as a finite float ("1", "-0.5", "2e3").
  bool ReadFloat(float& value);

  // The next token as a decimal count in [0, maximum]. A negative or larger count is rejected
  // (and consumed) like any unreadable token, so a file can never ask for more than `maximum`.
  bool ReadCount(int& count, int maximum);

  // The next character that is not white space, on its own: tile files write their tiles as
  // single characters with or without blanks between them ("0120" is four tiles).
  bool ReadChar(char& character);

 private:
  TextScanner(std::string text, bool opened, std::size_t maxTokenLength);

  // Skips white space, then takes the next token into `token` (cut to the maximum length);
  // `cut` tells whether the token was longer. False when the text has ended.
  bool NextToken(std::string& token, bool& cut);
  void SkipWhiteSpace();

  std::string text;
  std::size_t position = 0;
  std::size_t maxTokenLength;
  bool opened;
  int line = 1;       // line of `position`
  int tokenLine = 0;  // line of the token read last
};
