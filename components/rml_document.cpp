#include "components/rml_document.h"

void RMLDocument::Load() {
  // The loading arrives with the user-interface system.
}
