#pragma once
// Reading and writing the game's JSON files (scenes, prefabs, materials, settings, key
// bindings, the save marker, recorded input, the post-processing pipeline).
//
//   JsonFile scene;
//   std::string path = "./GAME/Scenes/main_menu.json";
//   LoadJsonFile(scene, path);      // path now reads "GAME/Scenes/main_menu.json"
//   ... scene.document ...
//   SaveJsonFile(settings, settingsPath);
//
// Paths are normalized (backslashes become '/', a leading "./" is dropped) before a file is
// opened, and the caller's text is replaced by that form so its messages and cache keys match.
// Failures throw: std::runtime_error naming the path, or the JSON library's parse error.
// Arrays and objects may be nested kMaxJsonDepth levels deep and no deeper: a deeper file is
// refused as unreadable before it is parsed, since copying, printing or saving such a value
// recurses once per level and would run out of stack or memory.
// Saves replace the target in one step (temporary file, flush to disk, rename), so a failed
// save leaves the previous file as it was and is never announced as a success.
//
// Plain-text data files are read with TextScanner (engine/text_scanner.h), not through here.

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

// Deepest nesting of arrays and objects a JSON text may hold; the game's files use a handful.
constexpr int kMaxJsonDepth = 256;

struct JsonFile {
  JsonFile() = default;
  ~JsonFile() { Close(); }
  JsonFile(const JsonFile&) = delete;
  JsonFile& operator=(const JsonFile&) = delete;
  JsonFile(JsonFile&& other) noexcept;
  JsonFile& operator=(JsonFile&& other) noexcept;

  // Sets `document` to null, closes a file still open, and opens the normalized `path` with
  // the fopen `mode`. Returns whether it opened; `file` stays null when it did not.
  bool Open(std::string_view path, const char* mode);

  // Closes `file` when one is open.
  void Close();

  std::FILE* file = nullptr;  // null when no file is open
  nlohmann::json document;    // null until a file is loaded
};

// Normalizes `path` in place and parses the whole file into `target.document`, then writes
// "\nSuccessfully loaded from <path>\n" and a line end to standard output.
// Throws std::runtime_error "Unable to open file for reading: <path>" when the file does not
// open ("Unable to read file: <path>" when it opens but cannot be read, as a folder, or is
// larger than kMaxWholeFileBytes, engine/whole_file.h; "Unable to read file: <path> (arrays
// and objects are nested deeper than 256 levels at byte N)"), and
// nlohmann::json::parse_error for malformed JSON (comments are not accepted). On any failure
// `target.document` keeps its previous value.
void LoadJsonFile(JsonFile& target, std::string& path);

// Parses `text` as one JSON document, as LoadJsonFile does, for JSON that does not come from a
// file of its own. Throws std::runtime_error "arrays and objects are nested deeper than 256
// levels at byte N" (N counted from 0) or nlohmann::json::parse_error.
nlohmann::json ParseJsonText(std::string_view text);

// Normalizes `path` in place and writes `source.document` there, indented by 4 blanks per
// level, non-ASCII characters as they are (text that is not valid UTF-8 gets U+FFFD in place
// of the bad bytes), with no line end after the last brace; then writes
// "\nSuccessfully saved to <path>\n" and a line end to standard output.
// Throws std::runtime_error when the file cannot be written (see WriteFileAtomically).
void SaveJsonFile(const JsonFile& source, std::string& path);

// A copy of the loaded document, for readers that keep the JSON value itself.
inline nlohmann::json CopyJsonDocument(const JsonFile& source) { return source.document; }

// Replaces the file at the normalized `path` with `contents` in one step: writes a temporary
// file beside it, flushes it to disk and renames it over the target. On failure throws
// std::runtime_error ("Unable to open file for writing: <path>" when the temporary file cannot
// be created; "Unable to write file: <path> (<reason>)" or "Unable to replace file: <path>
// (<reason>)" later), removes the temporary file and leaves the target untouched. A temporary
// file of the same name left over from an earlier run is never reused; after a successful
// save, the temporary files of earlier saves to the same path whose process was killed are
// removed.
void WriteFileAtomically(std::string_view path, std::string_view contents);

// Renames the file at the normalized `path` to "<path>.bad" (replacing an older one), so that
// a file the game cannot read is kept for the player instead of being overwritten. Returns the
// new path; throws std::runtime_error "Unable to keep file aside: <path> (<reason>)".
std::string KeepFileAside(std::string_view path);
