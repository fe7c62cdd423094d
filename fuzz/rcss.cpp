// Style sheets of the document UI library, and the declaration blocks of style attributes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "rml/style_sheet.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  Rml::StyleSheet sheet;
  sheet.Parse(text, "fuzz.rcss");
  Rml::DeclarationList declarations;
  Rml::ParseDeclarationBlock(text, "fuzz.rcss", 1, declarations);
  return 0;
}
