// Input longer than one buffer or deeper than a small stack.
#include <gtest/gtest.h>
#include <pthread.h>
#include <sys/stat.h>

#include "cli/text.h"
#include "engine/scan.h"
#include "engine_fixture.h"

namespace {

// Each piece starts on a character, whatever sits at the edge.
TEST(ConsoleRows, AreCutOnlyBetweenCharacters) {
  for (int before = 4090; before < 4096; before++) {
    std::string row = std::string(before, 'a') + "\xC3\xA4\xF0\x9F\x98\x80\xD0\x9F", joined;
    char piece[4096];
    for (const char* text = row.c_str(); *text; joined += piece) {
      text += EscapeControlBytes(text, piece, sizeof piece);
      EXPECT_NE(piece[0] & 0xC0, 0x80) << before;
    }
    EXPECT_EQ(joined, row);
  }
}

using Walk = enginetest::EngineTest;

// 600 nested folders on a thread with 64 KiB of stack.
TEST_F(Walk, NeedsNoLargeStack) {
  std::string deep = temp.path;
  for (int level = 0; level < 600; level++) mkdir((deep += "/d").c_str(), 0700);
  temp.Write(deep.substr(temp.path.size() + 1) + "/x", "1");
  pthread_attr_t small;
  pthread_attr_init(&small);
  pthread_attr_setstacksize(&small, 64 * 1024);
  pthread_t thread;
  pthread_create(&thread, &small, [](void* root) { return ScanDirectory(static_cast<char*>(root)), root; }, temp.path.data());
  pthread_join(thread, nullptr);
  EXPECT_EQ(fileTable.count, 1u);
}

}  // namespace
