#include "components/sequence.h"

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

void Sequence::LoadTemplate() {
  // The reader arrives with the template file format.
}
