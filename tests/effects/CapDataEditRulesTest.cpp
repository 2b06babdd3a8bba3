#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "effects/CapDataEditRules.h"

namespace {

TEST(CapDataEditRules, EntriesAreWrittenAsTheDialogsWriteThem) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"aro45", "ARo45"},
      {"ARo-12.5", "ARo-12.5"},
      {"rgb0,1,2,0,0,0,5,-12,0", "RGB0,1,2,0,0,0,+005,-012, 000"},
      {"ffistd,3,1,1,1,1,1,1,1,1,1,0,0", "FFiStd,  3, 1,1,1,1,1,1,1,1,1, 0,0"},
      {"FFI+em,2,1,-1,0,2,1,128", "FFi+Em,  2, 1,-1,0,2, 1,128"},
      {"txtc,c,Sans,0,9,255,a/b,0,0,0,0,1", "Txtc,c,Sans,0,9,255,a(@SLA)b,0,0,0,0,1"},
      {"Txt10,BB,,1,2,3,x,4,5,6,7,8", "Txt10,BB,,1,2,3,x,4,5,6,7,8"},
  };
  for (const auto& [typed, written] : cases) {
    std::string out;
    EXPECT_TRUE(NormalizeEffectEntry(typed, out)) << typed;
    EXPECT_EQ(out, written) << typed;
  }
}

TEST(CapDataEditRules, EntriesOfNoKindOrWithWrongFieldsFail) {
  for (const char* bad :
       {"", "ar", "xyz12", "aroabc", "aro1e999", "rgb1,2,3", "rgb1,2,3,4,5,6,7,8,x",
        "ffistd,3,1,1,1,1,1,1,1,1,0,0", "ffifoo,3,1,1,1,1,1,1,1,1,1,0,0", "ffistd,1,1,0,0",
        "txtc,c,Sans,0,9,255,,0,0,0,0,1", "txtq,c,Sans,0,9,255,a,0,0,0,0,1",
        "txtc,c,Sans,0,9,255,a,0,0,0,0"}) {
    std::string out = "kept";
    EXPECT_FALSE(NormalizeEffectEntry(bad, out)) << bad;
    EXPECT_EQ(out, "kept");
  }
}

TEST(CapDataEditRules, RecordLinesSplitAndJoinUnchanged) {
  TEditedRecord record;
  const std::string line = "\\p\\a.jpg/1/-2/30/40/ARo90/RGB1,2,3,0,0,0,+005,-012, 000";
  ASSERT_TRUE(SplitRecordLine(line, record));
  EXPECT_EQ(record.path_field, "\\p\\a.jpg");
  EXPECT_EQ(record.numbers[1], "-2");
  EXPECT_EQ(record.effects.size(), 2u);
  EXPECT_EQ(JoinRecordLine(record), line);
  EXPECT_FALSE(SplitRecordLine("a/1/2/3", record));
  EXPECT_FALSE(SplitRecordLine("a/1/2/3/4/5/6/7/8/9/10/11", record));
}

}  // namespace
