// Selector matching over small trees: chains of '>' placed among descendant combinators, where
// the nearest ancestor that matches one compound is not always where its chain matches.

#include "rml/selector.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "rml/element.h"

namespace {

// A chain of divs, one per class list from the outermost in, with a span at the bottom.
Rml::Element* BuildChain(Rml::Element& root, std::initializer_list<const char*> classes) {
  Rml::Element* parent = &root;
  for (const char* names : classes) {
    auto div = std::make_unique<Rml::Element>("div");
    div->SetClassNames(names);
    parent = parent->AppendChild(std::move(div));
  }
  return parent->AppendChild(std::make_unique<Rml::Element>("span"));
}

bool Matches(const std::string& text, const Rml::Element& element) {
  Rml::Selector selector;
  Rml::String error;
  EXPECT_TRUE(Rml::ParseSelector(text, selector, error)) << text << ": " << error;
  return selector.Matches(element);
}

TEST(Selector, CombinatorsMatchWhereTheirChainsFit) {
  Rml::Element root("body");
  // body > .x > .y > .y > .a > .b > .a > .c > span
  const Rml::Element* span = BuildChain(root, {"x", "y", "y", "a", "b", "a", "c"});
  const struct {
    const char* selector;
    bool matches;
  } cases[] = {
      {"span", true},
      {"div span", true},
      {".c > span", true},
      {".a > span", false},
      {".a > .c span", true},
      {".b > .c span", false},
      // The nearest .y's parent is a .y: the chain fits one .y further up.
      {".x > .y span", true},
      {".x > .y > .y > .a span", true},
      {".x > .y > .a span", false},
      {".b > .a > .c > span", true},
      {".a > .b > .a > .c > span", true},
      {".y .b .c span", true},
      {".c .b span", false},
      {"body .x .a .a span", true},
      {"body > .x > .y .b > .a span", true},
      {"body > .y span", false},
      {".a .a .a span", false},
      {"span span", false},
  };
  for (const auto& test : cases)
    EXPECT_EQ(Matches(test.selector, *span), test.matches) << test.selector;
}

// Twelve descendant compounds over forty nested divs, the last of which never matches: every way
// of placing the first eleven would be tried if each compound tried every ancestor again.
TEST(Selector, LongDescendantSelectorOverADeepTreeIsAnsweredWithoutBacktracking) {
  Rml::Element root("body");
  Rml::Element* parent = &root;
  for (int depth = 0; depth < 40; ++depth) {
    auto div = std::make_unique<Rml::Element>("div");
    div->SetClassNames("d");
    parent = parent->AppendChild(std::move(div));
  }
  EXPECT_FALSE(Matches(".missing .d .d .d .d .d .d .d .d .d .d .d", *parent));
  EXPECT_TRUE(Matches("body .d .d .d .d .d .d .d .d .d .d .d", *parent));
}

}  // namespace
