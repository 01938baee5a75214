// Numbers read from typed text, script words and file fields, and the free text that
// ends a line.
#include "host/util/text_read.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using yrlhost::number_from_text;

TEST(HostTextRead, TheWholeTextBlanksAsideIsTheNumber) {
  struct Case {
    const char* text;
    std::optional<int> whole;
    std::optional<double> real;
  } cases[] = {
      {"12", 12, 12.0},
      {" \t12 ", 12, 12.0},
      {"+12", 12, 12.0},
      {"-12", -12, -12.0},
      {"2.5", std::nullopt, 2.5},
      {"+-12", std::nullopt, std::nullopt},
      {"+", std::nullopt, std::nullopt},
      {"12x", std::nullopt, std::nullopt},
      {"1 2", std::nullopt, std::nullopt},
      {"", std::nullopt, std::nullopt},
      {"   ", std::nullopt, std::nullopt},
      {"99999999999", std::nullopt, 99999999999.0},
      {"1e400", std::nullopt, std::nullopt},
      {"nan", std::nullopt, std::nullopt},
      {"-NaN", std::nullopt, std::nullopt},
      {"inf", std::nullopt, std::nullopt},
      {"+infinity", std::nullopt, std::nullopt},
      {"-INF", std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    int whole = 7;
    double real = 7;
    EXPECT_EQ(number_from_text(c.text, whole), c.whole.has_value()) << c.text;
    EXPECT_EQ(whole, c.whole.value_or(7)) << c.text;
    EXPECT_EQ(number_from_text(c.text, real), c.real.has_value()) << c.text;
    EXPECT_EQ(real, c.real.value_or(7)) << c.text;
  }
}

TEST(HostTextRead, TheTextAfterTheFirstWordsKeepsItsInnerBlanks) {
  struct Case {
    const char* line;
    int words;
    const char* rest;
  } cases[] = {
      {"text OK  Press  me ", 2, "Press  me "},
      {"\tname\tDEMO part", 1, "DEMO part"},
      {"title", 1, ""},
      {"title   ", 1, ""},
      {"a b", 3, ""},
      {"  all of it", 0, "all of it"},
  };
  for (const Case& c : cases) EXPECT_EQ(yrlhost::text_after_words(c.line, c.words), c.rest) << c.line;
}

}  // namespace
