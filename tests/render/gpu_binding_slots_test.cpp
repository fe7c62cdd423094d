// The storage buffer slots named in C++ and in GLSL: the shaders' include defines the same
// numbers as render/gpu_binding_slots.h, every buffer has its own slot, and no shader binds a
// storage buffer by a bare number or by a name the header does not know.

#include "render/gpu_binding_slots.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <string>

#include "engine/whole_file.h"

namespace {

constexpr const char* kShaderFolder = "GAME/Shaders";
constexpr const char* kSlotInclude = "GAME/Shaders/Include/BindingSlots.glsl";

std::string Read(const std::filesystem::path& path) {
  std::string text;
  EXPECT_EQ(ReadWholeFile(path.string(), text), WholeFileRead::kRead) << path;
  return text;
}

TEST(GpuBindingSlots, TheShaderIncludeDefinesTheHeadersSlots) {
  std::map<std::string, unsigned int> defined;
  const std::string text = Read(kSlotInclude);
  const std::regex define(R"(#define\s+(\w+)\s+(\d+))");
  for (auto match = std::sregex_iterator(text.begin(), text.end(), define);
       match != std::sregex_iterator(); ++match) {
    EXPECT_TRUE(defined.emplace((*match)[1], std::stoul((*match)[2])).second)
        << (*match)[1] << " is defined twice";
  }

  std::set<unsigned int> slots;
  for (const gpu_slots::NamedSlot& named : gpu_slots::kAllSlots) {
    SCOPED_TRACE(named.glslName);
    const auto found = defined.find(named.glslName);
    ASSERT_NE(found, defined.end()) << "missing from " << kSlotInclude;
    EXPECT_EQ(found->second, named.slot);
    EXPECT_TRUE(slots.insert(named.slot).second) << "slot " << named.slot << " is taken twice";
    // OpenGL 4.3 guarantees 8 storage bindings.
    EXPECT_LT(named.slot, 8u);
    defined.erase(found);
  }
  for (const auto& [name, slot] : defined) ADD_FAILURE() << name << " is not in the header";
}

TEST(GpuBindingSlots, ShadersBindStorageBuffersByName) {
  std::set<std::string> names;
  for (const gpu_slots::NamedSlot& named : gpu_slots::kAllSlots) names.insert(named.glslName);
  const std::regex storage(R"(layout\s*\(\s*std430\s*,\s*binding\s*=\s*(\w+)\s*\))");
  int bindings = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(kShaderFolder)) {
    if (entry.path().extension() != ".glsl") continue;
    const std::string text = Read(entry.path());
    for (auto match = std::sregex_iterator(text.begin(), text.end(), storage);
         match != std::sregex_iterator(); ++match) {
      ++bindings;
      EXPECT_TRUE(names.contains((*match)[1]))
          << entry.path().string() << " binds " << (*match)[0] << ": name a slot of the header";
    }
  }
  // The grass and wind shaders declare a storage buffer on every slot between them.
  EXPECT_GE(bindings, static_cast<int>(names.size()));
}

}  // namespace
