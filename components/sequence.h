#pragma once
// Sequence: a step-indexed table of notes for music, filled from the sequence template. It is
// read from prefab files like a component but has no component array of its own.

#include <map>
#include <string>
#include <vector>

#include "components/base_component.h"
#include "engine/type_name.h"

// One note: values two to six of its template line, then the first value, the step.
struct SequenceNote {
  int column2 = 0;
  int column3 = 0;
  int column4 = 0;
  int column5 = 0;
  int column6 = 0;
  int step = 0;
};

class Sequence : public BaseComponent {
 public:
  Sequence() = default;
  // Copies every member; the copy is not original.
  Sequence(const Sequence& other);
  // Copies every member; the target now holds a copy, so it is not original.
  Sequence& operator=(const Sequence& other);
  ~Sequence() override;

  // The template every sequence reads, whatever its `_path`.
  static constexpr const char* kTemplatePath = "./GAME/Assets/Audio/Sequences/template.txt";

  // Reads the template into `notes` (see AddNote); `_duration` starts from 0. The file holds
  // lines of six integers, each decimal, octal with a leading 0 or hexadecimal with 0x; the
  // first is the step. A line whose fourth number is 999 is the last one taken, one whose
  // fourth number is above 999 is not taken and ends reading. Reading also stops at the end of
  // the file, and at the first token that is not such a number (with a line naming the file).
  // Line breaks do not matter: numbers are read six at a time. A missing file leaves the notes
  // empty.
  void LoadTemplate();
  // Reads another template file the same way.
  void LoadTemplate(const std::string& path);

  // Adds the note to its step's list, unless that list already holds a note with the same
  // `column3`; raises `_duration` to the step.
  void AddNote(const SequenceNote& note);

  std::string _path = "NULL";
  float _BPM = 0.0f;
  float _duration = 0.0f;  // the highest step
  int _numInstruments = 0;
  int currentStep = 0;  // audio system state
  std::map<int, std::vector<SequenceNote>> notes;
  int nextNoteIndex = 0;  // audio system state
  // True for a default-constructed sequence, false for a copy and once destroyed.
  bool isOriginal = true;
};
DECLARE_TYPE_NAME(class, Sequence);
