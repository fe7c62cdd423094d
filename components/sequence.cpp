#include "components/sequence.h"

#include <algorithm>
#include <cstdio>

#include "engine/text_scanner.h"

Sequence::Sequence(const Sequence& other)
    : BaseComponent(other),
      _path(other._path),
      _BPM(other._BPM),
      _duration(other._duration),
      _numInstruments(other._numInstruments),
      currentStep(other.currentStep),
      notes(other.notes),
      nextNoteIndex(other.nextNoteIndex),
      isOriginal(false) {}

Sequence& Sequence::operator=(const Sequence& other) {
  if (this == &other) return *this;
  BaseComponent::operator=(other);
  _path = other._path;
  _BPM = other._BPM;
  _duration = other._duration;
  _numInstruments = other._numInstruments;
  currentStep = other.currentStep;
  notes = other.notes;
  nextNoteIndex = other.nextNoteIndex;
  isOriginal = false;
  return *this;
}

Sequence::~Sequence() { isOriginal = false; }

void Sequence::LoadTemplate() { LoadTemplate(kTemplatePath); }

void Sequence::LoadTemplate(const std::string& path) {
  // A template is a short table; this bounds what a runaway file can add.
  constexpr int kMaxLines = 65536;
  _duration = 0.0f;
  TextScanner scanner(path);
  if (!scanner.IsOpen()) return;
  int values[6] = {};
  for (int line = 0; line < kMaxLines; ++line) {
    int read = 0;
    for (; read < 6 && !scanner.AtEnd(); ++read) {
      if (!scanner.ReadInt(values[read], 0)) {
        std::printf("Sequence : '%s' line %d: a token is not a number; reading stops there\n",
                    path.c_str(), scanner.Line());
        return;
      }
    }
    if (read == 0) return;
    if (values[3] > 999) return;
    AddNote({values[1], values[2], values[3], values[4], values[5], values[0]});
    // A line cut short by the end of the file keeps the earlier values for its missing ones.
    if (values[3] == 999 || read < 6) return;
  }
}

void Sequence::AddNote(const SequenceNote& note) {
  std::vector<SequenceNote>& list = notes[note.step];
  const bool repeated = std::any_of(list.begin(), list.end(), [&](const SequenceNote& held) {
    return held.column3 == note.column3;
  });
  if (!repeated) list.push_back(note);
  if (static_cast<float>(note.step) > _duration) _duration = static_cast<float>(note.step);
}
