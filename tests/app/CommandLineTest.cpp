#include <gtest/gtest.h>

#include <filesystem>

#include "app/CommandLine.h"
#include "app/MainFrm.h"
#include "tests/TestSupport.h"

namespace {

using TAction = TCommandLine::TAction;

struct TCase {
  const char* name;
  std::vector<std::string> args;  // after the program name; "DIR" stands for a folder, "PIC" a file
  TAction action;
  int exit_code;
  const char* text;  // in the text printed; for kRun the path's last part
};

class CommandLine : public ::testing::TestWithParam<TCase> {};

TEST_P(CommandLine, ReadsTheArguments) {
  const TCase& c = GetParam();
  TTempDir dir;
  WriteWholeFile(dir.File("photo.jpg"), "x");
  std::vector<std::string> args = {"velmora"};
  for (const std::string& a : c.args)
    args.push_back(a == "DIR" ? dir.Path().string() + "/" : a == "PIC" ? dir.File("photo.jpg") : a);
  const TCommandLine result = ParseCommandLine(args);
  EXPECT_EQ(result.action, c.action);
  EXPECT_EQ(result.exit_code, c.exit_code);
  if (c.action == TAction::kRun) {
    EXPECT_EQ(std::filesystem::path(result.path).filename().string(), c.text);
    EXPECT_TRUE(result.path.empty() || std::filesystem::path(result.path).is_absolute());
  } else {
    EXPECT_NE(result.text.find(c.text), std::string::npos) << result.text;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLine,
    ::testing::Values(
        TCase{"Nothing", {}, TAction::kRun, 0, ""},
        TCase{"Picture", {"PIC"}, TAction::kRun, 0, "photo.jpg"},
        TCase{"QtOptionsPassed",
              {"-platform", "offscreen", "-reverse", "PIC"},
              TAction::kRun,
              0,
              "photo.jpg"},
        TCase{"DashedNameAfterEnd",
              {"--", "-x"},
              TAction::kRefuse,
              1,
              "no such picture or folder: -x"},
        TCase{"Help", {"--help"}, TAction::kPrint, 0, "usage: velmora [PICTURE | FOLDER]"},
        TCase{"ShortHelpBeforePath", {"PIC", "-h"}, TAction::kPrint, 0, "~/.config/Velmora"},
        TCase{"Version", {"--version"}, TAction::kPrint, 0, "Velmora Version"},
        TCase{"UnknownOption", {"--frob"}, TAction::kRefuse, 2, "unknown option --frob"},
        TCase{"QtOptionWithoutValue", {"-style"}, TAction::kRefuse, 2, "-style needs a value"},
        TCase{"TwoPaths", {"PIC", "DIR"}, TAction::kRefuse, 2, "give one picture or folder"},
        TCase{"Missing",
              {"/no/such/picture.jpg"},
              TAction::kRefuse,
              1,
              "no such picture or folder: /no/such/picture.jpg"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CommandLine, FolderIsMarkedAndLosesItsTrailingSlash) {
  TTempDir dir;
  const TCommandLine result = ParseCommandLine({"velmora", dir.Path().string() + "/"});
  ASSERT_EQ(result.action, TAction::kRun);
  EXPECT_TRUE(result.path_is_folder);
  EXPECT_EQ(result.path, dir.Path().string());
}

TEST(CommandLine, NewInstanceIsAnOptionOfItsOwn) {
  TTempDir dir;
  EXPECT_TRUE(ParseCommandLine({"velmora", "--new-instance"}).new_instance);
  const TCommandLine with_path =
      ParseCommandLine({"velmora", dir.Path().string(), "--new-instance"});
  EXPECT_TRUE(with_path.new_instance);
  EXPECT_EQ(with_path.path, dir.Path().string());
  EXPECT_FALSE(ParseCommandLine({"velmora", dir.Path().string()}).new_instance);
  EXPECT_NE(HelpText().find("--new-instance"), std::string::npos);
}

// The help and the manual page name every kind of picture the save dialog offers.
TEST(CommandLine, HelpNamesEveryWrittenPictureKind) {
  EXPECT_NE(HelpText().find("Writes pictures as .bmp, .jpg or .png,"), std::string::npos);
  const std::string manual =
      ReadWholeFile(std::string(VELMORA_TEST_DATA) + "/../../docs/velmora.1.in");
  const std::size_t written = manual.find("Written:");
  ASSERT_NE(written, std::string::npos);
  EXPECT_EQ(manual.substr(written, manual.find(".TP", written) - written),
            "Written:\n.IR .bmp ,\n.I .jpg\nand\n.IR .png .\n");
}

// The version printed is the one the about box shows.
TEST(CommandLine, VersionIsTheAboutText) { EXPECT_EQ(VersionText(), TMainForm::kVersionText); }

}  // namespace
