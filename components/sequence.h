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

  // Reads the template file into `notes`. Does nothing yet: the reader arrives with the
  // template file format.
  void LoadTemplate();

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
