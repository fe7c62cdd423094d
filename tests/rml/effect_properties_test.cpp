// Decorator property parsing: parser chains, FallThrough and RecursiveRepeat shorthands, and
// values that fit no property.

#include "rml/effect_properties.h"

#include <gtest/gtest.h>

namespace {

// The properties of a decorator that draws a word: the colour falls through to the alignments.
class TextDecoratorProperties : public Rml::EffectSpecification {
 public:
  TextDecoratorProperties() {
    RegisterProperty("text", "").AddParser("string");
    RegisterProperty("color", "inherit-color")
        .AddParser("keyword", "inherit-color")
        .AddParser("color");
    RegisterProperty("align-x", "center")
        .AddParser("keyword", "left, center, right")
        .AddParser("length_percent");
    RegisterProperty("align-y", "center")
        .AddParser("keyword", "top, center, bottom")
        .AddParser("length_percent");
    RegisterProperty("material", "./GAME/Assets/Materials/UIMaterial.json").AddParser("string");
    RegisterShorthand("decorator", "text, color, align-x, align-y, material",
                      Rml::ShorthandType::FallThrough);
  }
};

// An image tile under a prefix, reached through a RecursiveRepeat "decorator".
class ImageDecoratorProperties : public Rml::EffectSpecification {
 public:
  ImageDecoratorProperties() {
    RegisterProperty("image-src", "").AddParser("string");
    RegisterProperty("image-material", "./GAME/Assets/Materials/UIMaterial.json")
        .AddParser("string");
    RegisterProperty("image-fit", "fill").AddParser("keyword", "fill, contain, cover");
    RegisterProperty("image-align-x", "center")
        .AddParser("keyword", "left, center, right")
        .AddParser("length_percent");
    RegisterShorthand("image", "image-src, image-material, image-fit, image-align-x",
                      Rml::ShorthandType::FallThrough);
    RegisterShorthand("decorator", "image", Rml::ShorthandType::RecursiveRepeat);
  }
};

struct Expected {
  const char* property;
  const char* text;  // the value as parsed: string, keyword or length text
};

struct Case {
  const char* arguments;
  std::vector<Expected> expected;
};

void ExpectParsed(const Rml::EffectSpecification& effect, const Case& c) {
  SCOPED_TRACE(c.arguments);
  Rml::PropertyDictionary properties;
  Rml::String error;
  ASSERT_TRUE(effect.ParseProperties(properties, c.arguments, error)) << error;
  for (const Expected& expected : c.expected) {
    const Rml::Property* property = properties.GetProperty(expected.property);
    ASSERT_NE(property, nullptr) << expected.property;
    EXPECT_EQ(property->string, expected.text) << expected.property;
  }
}

TEST(EffectSpecificationTest, FallThroughGivesEachValueTheFirstRemainingPropertyThatAcceptsIt) {
  const TextDecoratorProperties effect;
  const Case cases[] = {
      {"UNDREL left center \"GAME/Assets/Materials/ObsidianMaterial.json\"",
       {{"text", "UNDREL"},
        {"color", "inherit-color"},
        {"align-x", "left"},
        {"align-y", "center"},
        {"material", "GAME/Assets/Materials/ObsidianMaterial.json"}}},
      {"LORETH",
       {{"text", "LORETH"},
        {"align-x", "center"},
        {"align-y", "center"},
        {"material", "./GAME/Assets/Materials/UIMaterial.json"}}},
      {"Go red 10px 25%",
       {{"text", "Go"}, {"color", "red"}, {"align-x", "10px"}, {"align-y", "25%"}}},
  };
  for (const Case& c : cases) ExpectParsed(effect, c);

  Rml::PropertyDictionary properties;
  Rml::String error;
  ASSERT_TRUE(effect.ParseProperties(properties, "Go red", error));
  EXPECT_EQ(properties.GetProperty("color")->unit, Rml::Unit::Colour);
  EXPECT_EQ(properties.GetProperty("color")->colour, Rml::Colourb(255, 0, 0));
  ASSERT_TRUE(effect.ParseProperties(properties, "Go right 50%", error));
  EXPECT_EQ(properties.GetProperty("align-x")->unit, Rml::Unit::Keyword);
  EXPECT_EQ(properties.GetProperty("align-x")->keyword, 2);
  EXPECT_EQ(properties.GetProperty("align-y")->unit, Rml::Unit::Percent);
  EXPECT_EQ(properties.GetProperty("align-y")->number, 50.f);
}

TEST(EffectSpecificationTest, RecursiveRepeatHandsTheWholeValueToTheNamedShorthand) {
  const ImageDecoratorProperties effect;
  const Case cases[] = {
      {"\"GAME/Assets/RML/images/Floreth_logo_scr.png\" "
       "\"GAME/Assets/Materials/UIOpalShaderMaterial.json\"",
       {{"image-src", "GAME/Assets/RML/images/Floreth_logo_scr.png"},
        {"image-material", "GAME/Assets/Materials/UIOpalShaderMaterial.json"},
        {"image-fit", "fill"}}},
      {"logo.png",
       {{"image-src", "logo.png"}, {"image-material", "./GAME/Assets/Materials/UIMaterial.json"}}},
  };
  for (const Case& c : cases) ExpectParsed(effect, c);
}

TEST(EffectSpecificationTest, AValueNoPropertyAcceptsFailsWithItsText) {
  const TextDecoratorProperties effect;
  Rml::PropertyDictionary properties;
  Rml::String error;
  // After the material, nothing is left to take a fifth value.
  EXPECT_FALSE(effect.ParseProperties(properties, "A left top m.json extra", error));
  EXPECT_NE(error.find("'extra'"), Rml::String::npos) << error;
  // A keyword never matches outside its own list, and a length needs a unit.
  Rml::Property property;
  EXPECT_FALSE(effect.ParsePropertyValue("align-x", "top", property));
  EXPECT_FALSE(effect.ParsePropertyValue("align-x", "12", property));
  EXPECT_TRUE(effect.ParsePropertyValue("align-x", "0", property));
  EXPECT_FALSE(effect.ParsePropertyValue("no-such-property", "x", property));
}

TEST(EffectSpecificationTest, AShorthandOverAnUnknownNameIsRefused) {
  TextDecoratorProperties effect;
  EXPECT_FALSE(effect.RegisterShorthand("pair", "text, colour", Rml::ShorthandType::FallThrough));
}

}  // namespace
