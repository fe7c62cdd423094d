#pragma once
// Helpers that answer questions about an element in its context.

#include "rml/context.h"

namespace Rml::ElementUtilities {

// The context's density-independent pixel ratio (1 without a context).
inline float GetDensityIndependentPixelRatio(const Element* element) {
  const Context* context = element != nullptr ? element->GetContext() : nullptr;
  return context != nullptr ? context->GetDensityIndependentPixelRatio() : 1.f;
}

}  // namespace Rml::ElementUtilities
