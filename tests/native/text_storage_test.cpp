#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/path_store.h"
#include "platform/utf16.h"

static std::string Utf8Of(const std::vector<uint16_t>& units, size_t room = 4096) {
  std::string out(room, '\0');
  return ToUtf8(units.data(), units.size(), &out[0], room) ? out.c_str() : "<too long>";
}

static std::vector<uint16_t> Utf16Of(const std::string& utf8) {
  std::vector<uint16_t> units(Utf16Length(utf8.c_str()) + 1, 0xFFFF);
  ToUtf16(utf8.c_str(), units.data());
  EXPECT_EQ(units.back(), 0);
  return std::vector<uint16_t>(units.begin(), units.end() - 1);
}

TEST(Utf16, NamesInAnyScriptAndUnpairedSurrogatesMakeTheRoundTrip) {
  const struct { std::vector<uint16_t> units; std::string utf8; } cases[] = {
      {{0x00E4}, "\xC3\xA4"}, {{0x041F, 0x0435}, "\xD0\x9F\xD0\xB5"},
      {{0x66F2}, "\xE6\x9B\xB2"}, {{0xD83D, 0xDE00}, "\xF0\x9F\x98\x80"}, {{0xD800, 'x'}, "\xED\xA0\x80x"},
      {{0xDFFF}, "\xED\xBF\xBF"}, {{}, ""}};
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8Of(c.units), c.utf8);
    EXPECT_EQ(Utf16Of(c.utf8), c.units) << c.utf8;
  }
  EXPECT_EQ(Utf8Of({0xD83D, 0xDE00}, 4) + Utf8Of({0xD83D, 0xDE00}, 5), "<too long>\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf16Of("\xC0\xAF\xE0\x80\xAF\xE6\x9B\xF4\x90\x80\x80"),
            (std::vector<uint16_t>{0xC0, 0xAF, 0xE0, 0x80, 0xAF, 0xE6, 0x9B, 0xF4, 0x90, 0x80, 0x80}));
  std::mt19937 random(15);
  for (int round = 0; round < 2000; round++) {
    std::vector<uint16_t> units(random() % 12);
    for (uint16_t& unit : units) unit = static_cast<uint16_t>(1 + random() % (random() % 2 ? 0x7F : 0xFFFF));
    EXPECT_EQ(Utf16Of(Utf8Of(units)), units);
  }
}

TEST(PathStore, KeepsEveryPathWholeInPlace) {
  ClearPathStore();
  std::mt19937 random(15);
  std::vector<std::string> paths;
  std::vector<const char*> stored;
  for (int k = 0; k < 20000; k++) {
    paths.push_back("/m/" + std::string(k == 7 ? 300000 : random() % 300, 'a' + k % 26) + std::to_string(k));
    stored.push_back(StorePath(paths.back().c_str()));
  }
  for (size_t k = 0; k < paths.size(); k++) ASSERT_EQ(stored[k], paths[k]) << k;
}
