// Texts longer than one buffer: console rows written in pieces, paths past 259 characters.
#include <gtest/gtest.h>

#include <string>

#include "cli/text.h"

namespace {

// Every piece starts on a character: no piece ends inside one, whatever sits at the edge.
TEST(ConsoleRows, ARowLongerThanOnePieceIsCutOnlyBetweenCharacters) {
  const std::string characters[] = {"\xC3\xA4", "\xD0\x9F", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "%"};
  for (int before = 4080; before < 4100; before++) {
    for (const std::string& character : characters) {
      std::string row = std::string(before, 'a') + character + character + "\n" + character;
      std::string joined, whole = std::string(before, 'a') + (character == "%" ? "%25%25%0A%25" : character + character + "%0A" + character);
      char piece[4096];
      for (const char* text = row.c_str(); *text;) {
        text += EscapeControlBytes(text, piece, sizeof piece);
        ASSERT_NE(static_cast<unsigned char>(piece[0]) & 0xC0, 0x80) << before << " " << character;
        joined += piece;
      }
      EXPECT_EQ(joined, whole) << before;
    }
  }
}

}  // namespace
