// velmora-cli as its users run it: exit status, messages, files left behind, progress line.
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/ImageBasics.h"
#include "engine/PictureLoader.h"
#include "tests/TestSupport.h"

namespace {

struct TRun {
  int status = -1;
  std::string out, err;
};

std::string Quoted(const std::string& text) {
  std::string q = "'";
  for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

TRun RunCli(const TTempDir& dir, const std::vector<std::string>& args) {
  std::string command = "cd ";
  command += Quoted(dir.Path().string());
  command += " && ";
  command += Quoted(VELMORA_CLI);
  for (const std::string& a : args) (command += ' ') += Quoted(a);
  (command += " >") += Quoted(dir.File("stdout.txt"));
  (command += " 2>") += Quoted(dir.File("stderr.txt"));
  const int raw = std::system(command.c_str());
  TRun run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = ReadWholeFile(dir.File("stdout.txt"));
  run.err = ReadWholeFile(dir.File("stderr.txt"));
  std::filesystem::remove(dir.File("stdout.txt"));
  std::filesystem::remove(dir.File("stderr.txt"));
  return run;
}

// The names in the folder, apart from the pictures the test made.
std::vector<std::string> Leftovers(const TTempDir& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
    const std::string name = entry.path().filename().string();
    if (name != "in.bmp" && name != "big.bmp" && name != "list.txt") names.push_back(name);
  }
  return names;
}

void SavePicture(const TBitmap24& picture, const std::string& path) {
  ASSERT_TRUE(SavePictureFile(picture, path, true, 90));
}

struct TUsageCase {
  const char* name;
  std::vector<std::string> args;
  int status;
  const char* message;  // in stderr, or in stdout for status 0
};

class CliUsage : public ::testing::TestWithParam<TUsageCase> {};

TEST_P(CliUsage, ExitsWithItsStatusAndLeavesNoFile) {
  const TUsageCase& c = GetParam();
  TTempDir dir;
  SavePicture(PatternBitmap(40, 30), dir.File("in.bmp"));
  WriteWholeFile(dir.File("list.txt"), "");
  const TRun run = RunCli(dir, c.args);
  EXPECT_EQ(run.status, c.status) << run.err;
  EXPECT_NE((c.status == 0 ? run.out : run.err).find(c.message), std::string::npos)
      << run.out << run.err;
  EXPECT_TRUE(Leftovers(dir).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CliUsage,
    ::testing::Values(
        TUsageCase{"Help", {"-h"}, 0, "usage: velmora-cli"},
        TUsageCase{"LongHelp", {"--help"}, 0, "--large-pictures"},
        TUsageCase{"Version", {"--version"}, 0, "velmora-cli " VELMORA_VERSION "\n"},
        TUsageCase{"CommandHelp", {"scale", "--help"}, 0, "usage: velmora-cli scale IN OUT"},
        TUsageCase{"HelpTopic", {"help", "rotate"}, 0, "usage: velmora-cli rotate IN OUT"},
        TUsageCase{"Nothing", {}, 2, "usage: velmora-cli"},
        TUsageCase{"UnknownCommand", {"frob"}, 2, "unknown command frob"},
        TUsageCase{
            "UnknownProgramOption", {"--frob", "info", "in.bmp"}, 2, "unknown option --frob"},
        TUsageCase{"UnknownOption",
                   {"convert", "in.bmp", "o.bmp", "--bogus", "1"},
                   2,
                   "unknown option --bogus"},
        TUsageCase{"MisplacedFlag",
                   {"convert", "in.bmp", "o.bmp", "--outside"},
                   2,
                   "unknown option --outside"},
        TUsageCase{"ValueMissing",
                   {"convert", "in.bmp", "o.bmp", "--quality"},
                   2,
                   "--quality needs a value"},
        TUsageCase{"FlagWithValue",
                   {"--large-pictures=1", "info", "in.bmp"},
                   2,
                   "--large-pictures takes no value"},
        TUsageCase{"QualityZero",
                   {"convert", "in.bmp", "o.jpg", "--quality", "0"},
                   2,
                   "--quality must be 1..100"},
        TUsageCase{"QualityThousand",
                   {"convert", "in.bmp", "o.jpg", "--quality", "1000"},
                   2,
                   "--quality must be 1..100"},
        TUsageCase{"FactorNan",
                   {"scale", "in.bmp", "o.bmp", "--factor", "nan"},
                   2,
                   "--factor: not a number: nan"},
        TUsageCase{"FactorNegative",
                   {"scale", "in.bmp", "o.bmp", "--factor", "-2"},
                   2,
                   "--factor must be above 0"},
        TUsageCase{"AngleText",
                   {"rotate", "in.bmp", "o.bmp", "--angle", "x", "--mode", "0"},
                   2,
                   "--angle is not a number: x"},
        TUsageCase{"AngleBeyondIntegerRange",
                   {"rotate", "in.bmp", "o.bmp", "--angle", "3e9", "--mode", "2"},
                   2,
                   "--angle is beyond the integer range: 3e9"},
        TUsageCase{"ThreadsZero",
                   {"--threads", "0", "rotate", "in.bmp", "o.bmp", "--angle", "3", "--mode", "1"},
                   2,
                   "--threads must be a whole number from 1 to 1024: 0"},
        TUsageCase{"ThreadsMissing", {"info", "in.bmp", "--threads"}, 2, "--threads needs a value"},
        TUsageCase{"OutputIsInput",
                   {"convert", "in.bmp", "./in.bmp"},
                   2,
                   "the output ./in.bmp is the input file"},
        TUsageCase{"CutOverItsSource",
                   {"render", "in.bmp/0/0/10/10", "in.bmp"},
                   2,
                   "is the record's picture"},
        TUsageCase{"OutputFormat", {"convert", "in.bmp", "o.gif"}, 2, "must be a .bmp, .jpg"},
        TUsageCase{"OutputFolderMissing",
                   {"convert", "in.bmp", "no/such/o.bmp"},
                   1,
                   "the output folder no/such does not exist"},
        TUsageCase{
            "ListFolderIsAFile", {"save-list", "list.txt", "in.bmp/sub"}, 1, "cannot be made"},
        TUsageCase{"OutputFolderReadOnly", {"convert", "in.bmp", "/proc/o.bmp"}, 1, "/proc"},
        TUsageCase{"InputMissing", {"convert", "none.bmp", "o.bmp"}, 1, "file not found: none.bmp"},
        TUsageCase{"RenderUnknownEffect",
                   {"render", "in.bmp/0/0/10/10/XYZ1", "o.bmp"},
                   1,
                   "unknown effect (ARo, RGB, FFi or Txt expected): XYZ1"},
        // Every kernel message, in order, as the kernel command prints them.
        TUsageCase{"RenderKernelMessages",
                   {"render", "in.bmp/0/0/10/10/FFiStd,x,1", "o.bmp"},
                   1,
                   "KernelData Error(2)\nKernelData Error(3)\n"},
        TUsageCase{
            "RenderAspectUnknownEffect",
            {"render-aspect", "in.bmp/0/0/10/10/ARo90/Q", "o.bmp", "--box", "4,2", "--anchor", "5"},
            1,
            "unknown effect (ARo, RGB, FFi or Txt expected): Q"},
        TUsageCase{"SaveUnknownEffect",
                   {"save-capdata", "in.bmp/0/0/10/10/XYZ1", "o.bmp"},
                   1,
                   "unknown effect (ARo, RGB, FFi or Txt expected): XYZ1"},
        TUsageCase{"RegionOutside",
                   {"crop", "in.bmp", "o.bmp", "--rect", "50,0,60,10"},
                   1,
                   "the region 50,0,60,10 lies outside the 40 x 30 picture"}),
    [](const auto& info) { return std::string(info.param.name); });

// A picture of 2100 x 2000 passes the 4,000,000-pixel limit but not the raised one.
struct TLimitCase {
  const char* name;
  std::vector<std::string> args;
  const char* refused;  // what the message says was refused
};

class CliSizeLimit : public ::testing::TestWithParam<TLimitCase> {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TTempDir;
    TBitmap24 big(2100, 2000);
    big.Fill(0x00336699);
    SavePicture(big, dir_->File("big.bmp"));
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  static TTempDir* dir_;
};
TTempDir* CliSizeLimit::dir_ = nullptr;

TEST_P(CliSizeLimit, RefusalNamesSizeLimitAndSwitchAndTheSwitchLetsItRun) {
  const TLimitCase& c = GetParam();
  const TRun refused = RunCli(*dir_, c.args);
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find(std::string(c.refused) +
                             " is beyond the working size limit of 5,000 pixels wide and "
                             "4,000,000 pixels; --large-pictures raises it to 20,000 pixels "
                             "wide and 100,000,000 pixels"),
            std::string::npos)
      << refused.err;
  EXPECT_TRUE(Leftovers(*dir_).empty());

  std::vector<std::string> raised = c.args;
  raised.push_back("--large-pictures");
  const TRun done = RunCli(*dir_, raised);
  EXPECT_EQ(done.status, 0) << done.err;
  EXPECT_TRUE(std::filesystem::exists(dir_->File("o.bmp")));
  std::filesystem::remove(dir_->File("o.bmp"));
}

INSTANTIATE_TEST_SUITE_P(
    Commands, CliSizeLimit,
    ::testing::Values(
        TLimitCase{"Rotate",
                   {"rotate", "big.bmp", "o.bmp", "--angle", "30", "--mode", "0"},
                   "the picture 2100 x 2000"},
        TLimitCase{"Rgb",
                   {"rgb", "big.bmp", "o.bmp", "--params", "2,1,0,0,0,0,0,0,0"},
                   "the picture 2100 x 2000"},
        TLimitCase{"Kernel",
                   {"kernel", "big.bmp", "o.bmp", "--text", "STD,3,1,1,1,1,1,1,1,1,1,0,0"},
                   "the picture 2100 x 2000"},
        TLimitCase{
            "LowPass", {"lowpass", "big.bmp", "o.bmp", "--size", "3"}, "the picture 2100 x 2000"},
        TLimitCase{"Unsharp",
                   {"unsharp", "big.bmp", "o.bmp", "--strength", "50", "--size", "3"},
                   "the picture 2100 x 2000"},
        TLimitCase{"MapChannels",
                   {"map-channels", "big.bmp", "o.bmp", "--to", "0", "--from", "9"},
                   "the picture 2100 x 2000"},
        TLimitCase{"Scale",
                   {"scale", "big.bmp", "o.bmp", "--factor", "0.5", "--rectify", "2"},
                   "the picture 2100 x 2000"},
        TLimitCase{"Resize",
                   {"resize", "big.bmp", "o.bmp", "--width", "2100", "--height", "2000",
                    "--algorithm", "stretch"},
                   "the result 2100 x 2000"},
        TLimitCase{"Crop",
                   {"crop", "big.bmp", "o.bmp", "--rect", "0,0,2100,2000"},
                   "the region 2100 x 2000"},
        TLimitCase{"Text",
                   {"text", "big.bmp", "o.bmp", "--settings", "C,C,Sans,0,9,0,A,0,0,0,0,1"},
                   "the picture 2100 x 2000"},
        TLimitCase{"Fuse",
                   {"fuse", "big.bmp", "big.bmp", "o.bmp", "--settings", "C,C,50,50,1,0,1,0"},
                   "the fused picture 2100 x 2000"},
        TLimitCase{"FitFrameSave",
                   {"fit-frame-save", "big.bmp", "o.bmp", "--width", "80", "--height", "60",
                    "--rectify", "2"},
                   "the picture 2100 x 2000"},
        TLimitCase{
            "Record", {"render", "big.bmp/0/0/2100/2000", "o.bmp"}, "the region 2100 x 2000"}),
    [](const auto& info) { return std::string(info.param.name); });

// Any thread count, before or after the command, gives the same file.
TEST(CliThreads, EveryCountWritesTheSamePicture) {
  TTempDir dir;
  SavePicture(PatternBitmap(301, 97), dir.File("in.bmp"));
  const std::vector<std::vector<std::string>> commands = {
      {"rotate", "in.bmp", "o.bmp", "--angle", "33.3", "--mode", "1"},
      {"resize", "in.bmp", "o.bmp", "--width", "211", "--height", "399", "--algorithm",
       "biliner-integral"}};
  for (const std::vector<std::string>& command : commands) {
    std::string one_thread;
    for (const char* threads : {"1", "2", "5"}) {
      std::vector<std::string> args = {"--threads", threads};
      args.insert(args.end(), command.begin(), command.end());
      const TRun run = RunCli(dir, args);
      ASSERT_EQ(run.status, 0) << run.err;
      const std::string bytes = ReadWholeFile(dir.File("o.bmp"));
      if (one_thread.empty())
        one_thread = bytes;
      else
        EXPECT_EQ(bytes, one_thread) << command[0] << " with " << threads << " threads";
    }
  }
}

// Consecutive records of one picture share its decoding; each still gets its own region, and a
// record of another picture in between gets that picture.
// A placeable metafile of 100 x 100 units at 96 units per inch: a black cosmetic (one pixel at
// any size) line across the middle.
std::string LineMetafile() {
  std::string b;
  auto word = [&b](int v) {
    b += static_cast<char>(v & 0xFF);
    b += static_cast<char>((v >> 8) & 0xFF);
  };
  const int placeable[] = {0xCDD7, 0x9AC6, 0, 0, 0, 100, 100, 96, 0, 0};
  int checksum = 0;
  for (int w : placeable) word(w), checksum ^= w;
  word(checksum);
  for (int w : {1, 9, 0x0300, 34, 0, 1, 8, 0, 0}) word(w);  // 34 words after the placeable part
  for (int w : {8, 0, 0x02FA, 0, 0, 0, 0, 0}) word(w);      // CREATEPENINDIRECT solid, width 0
  for (int w : {4, 0, 0x012D, 0}) word(w);                  // SELECTOBJECT 0
  for (int w : {5, 0, 0x0214, 50, 0}) word(w);              // MOVETO 0,50
  for (int w : {5, 0, 0x0213, 50, 100}) word(w);            // LINETO 100,50
  for (int w : {3, 0, 0}) word(w);
  return b;
}

TEST(CliScale, MetafilesAreDrawnAnewAtTheFactor) {
  TTempDir dir;
  WriteWholeFile(dir.File("line.wmf"), LineMetafile());
  for (const char* rectify : {"0", "2"}) {
    const TRun run =
        RunCli(dir, {"scale", "line.wmf", "o.bmp", "--factor", "4", "--rectify", rectify});
    ASSERT_EQ(run.status, 0) << run.err;
    TBitmap24 out;
    ASSERT_TRUE(LoadPictureFile(out, dir.File("o.bmp"), TPictureLoader()));
    EXPECT_EQ(out.Width(), 400);
    int dark = 0;
    for (int y = 0; y < out.Height(); ++y) dark += out.Pixel(200, y) != kWhite;
    EXPECT_EQ(dark, 1) << "a stretched raster would hold a line 4 pixels thick";
  }
  const TRun beyond =
      RunCli(dir, {"scale", "line.wmf", "o.bmp", "--factor", "30", "--rectify", "0"});
  EXPECT_EQ(beyond.status, 1);
  EXPECT_NE(beyond.err.find("cannot be drawn at the factor 30"), std::string::npos) << beyond.err;
}

TEST(CliSaveList, RecordsOfAlternatingPicturesEachGetTheirOwnRegion) {
  TTempDir dir;
  SavePicture(PatternBitmap(64, 48), dir.File("in.bmp"));
  TBitmap24 other(64, 48);
  other.Fill(0x00102030);
  SavePicture(other, dir.File("big.bmp"));
  const std::vector<std::string> records = {"//FiF\\in.bmp/0/0/20/10", "//FiF\\in.bmp/5/6/7/8",
                                            "//FiF\\big.bmp/1/1/9/9", "//FiF\\in.bmp/30/20/10/12"};
  std::string list;
  for (const std::string& r : records) list += r + "\r\n";
  WriteWholeFile(dir.File("list.txt"), list);
  const TRun run = RunCli(dir, {"save-list", "list.txt", "out"});
  ASSERT_EQ(run.status, 0) << run.err;

  // The names written, one a line in record order.
  std::vector<std::string> saved;
  for (std::size_t start = 0; start < run.out.size();) {
    const std::size_t end = run.out.find('\n', start);
    saved.push_back(run.out.substr(start, end - start));
    start = end + 1;
  }
  ASSERT_EQ(saved.size(), records.size()) << run.out;
  for (std::size_t i = 0; i < records.size(); ++i) {
    std::string line = records[i];
    line.replace(0, 6, "");  // the record relative to the folder the command runs in
    const TRun render = RunCli(dir, {"render", line, "single.bmp"});
    ASSERT_EQ(render.status, 0) << render.err;
    EXPECT_EQ(ReadWholeFile(dir.File(saved[i])), ReadWholeFile(dir.File("single.bmp"))) << line;
    std::filesystem::remove(dir.File("single.bmp"));
  }
}

// A NUL in a line would cut the path short where the system reads it (src.jpg\0.bmp named
// src.jpg): such a line is unknown data, and says so whole.
TEST(CliSaveList, ALineHoldingNulIsUnknownData) {
  TTempDir dir;
  SavePicture(PatternBitmap(16, 16), dir.File("src.jpg"));
  WriteWholeFile(dir.File("list.txt"), std::string("//FiF\\src.jpg\0.bmp/0/0/8/8\r\n", 28) +
                                           "//FiF\\src.jpg/0/0/8/8\r\n");
  const TRun run = RunCli(dir, {"save-list", "list.txt", "out"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("src.jpg\\0.bmp/0/0/8/8: 未知のデータ"), std::string::npos) << run.err;
  EXPECT_EQ(run.out, "out/src.jpg\n");
}

// What a terminal shows of save-list: a count redrawn in place, unless --quiet.
std::string TerminalOutput(const TTempDir& dir, const std::vector<std::string>& args) {
  int master = -1;
  const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
  if (pid == 0) {
    if (chdir(dir.Path().c_str()) != 0) _exit(127);
    std::vector<char*> argv;
    std::string program = VELMORA_CLI;
    argv.push_back(program.data());
    std::vector<std::string> copies = args;
    for (std::string& a : copies) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  std::string text;
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(master, buffer, sizeof buffer);
    if (n <= 0) break;  // EIO once the child has closed the terminal
    text.append(buffer, static_cast<std::size_t>(n));
  }
  close(master);
  int status = 0;
  waitpid(pid, &status, 0);
  return text;
}

TEST(CliProgress, CountShowsOnTerminalOnlyAndQuietSilencesIt) {
  TTempDir dir;
  SavePicture(PatternBitmap(64, 48), dir.File("in.bmp"));
  WriteWholeFile(dir.File("list.txt"), "//FiF\\in.bmp/0/0/8/8\r\n//FiF\\in.bmp/1/1/8/8\r\n");
  const std::string shown = TerminalOutput(dir, {"save-list", "list.txt", "a"});
  EXPECT_NE(shown.find("\r\033[Ksave-list: 2/2"), std::string::npos) << shown;
  const std::string quiet = TerminalOutput(dir, {"--quiet", "save-list", "list.txt", "b"});
  EXPECT_EQ(quiet.find("save-list:"), std::string::npos) << quiet;
  EXPECT_NE(quiet.find("b/in.bmp"), std::string::npos) << quiet;
  const TRun piped = RunCli(dir, {"save-list", "list.txt", "c"});
  EXPECT_EQ(piped.status, 0);
  EXPECT_EQ(piped.err, "");
}

// The manual page and the completion follow the commands the program has.
std::vector<std::string> CommandNames() {
  TTempDir dir;
  const TRun help = RunCli(dir, {"--help"});
  std::vector<std::string> names;
  const std::size_t list = help.out.find("\ncommands:\n");
  for (std::size_t start = help.out.find('\n', list + 1) + 1; start < help.out.size();) {
    const std::size_t end = help.out.find('\n', start);
    const std::string line = help.out.substr(start, end - start);
    names.push_back(line.substr(2, line.find(' ', 2) - 2));
    start = end + 1;
  }
  return names;
}

TEST(CliDocs, ManualPageDescribesEveryCommand) {
  const std::string page = ReadWholeFile(VELMORA_SOURCE_DIR "/docs/velmora-cli.1.in");
  const std::vector<std::string> names = CommandNames();
  ASSERT_GT(names.size(), 20u);
  for (const std::string& name : names)
    EXPECT_NE(page.find("\n.BI \"" + name), std::string::npos) << name;
}

TEST(CliDocs, CompletionOffersCommandsAndTheirOptions) {
  TTempDir dir;
  const auto complete = [&](const std::string& line) {
    const std::string script = "PATH=" + std::filesystem::path(VELMORA_CLI).parent_path().string() +
                               ":$PATH; source " VELMORA_SOURCE_DIR "/cli/velmora-cli.bash; " +
                               "read -ra COMP_WORDS <<<'" + line + "'; " +
                               "COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _velmora_cli; " +
                               "echo \"${COMPREPLY[*]}\" >" + dir.File("reply.txt");
    const std::string command = "bash -c " + Quoted(script);
    EXPECT_EQ(std::system(command.c_str()), 0);
    return ReadWholeFile(dir.File("reply.txt"));
  };
  EXPECT_EQ(complete("velmora-cli sca"), "scale\n");
  EXPECT_EQ(complete("velmora-cli --quiet fit-f"), "fit-factor fit-frame-save\n");
  EXPECT_EQ(complete("velmora-cli rotate a.jpg --an"), "--angle\n");
  EXPECT_EQ(complete("velmora-cli --la"), "--large-pictures\n");
}

}  // namespace

namespace {

TEST(CliPng, ConvertsToPngAndBackWithoutLoss) {
  TTempDir dir;
  const TBitmap24 picture = PatternBitmap(37, 21);
  SavePicture(picture, dir.File("in.bmp"));
  TRun run = RunCli(dir, {"convert", "in.bmp", "o.png"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadWholeFile(dir.File("o.png")).substr(0, 4), "\x89PNG");
  run = RunCli(dir, {"convert", "o.png", "back.bmp"});
  ASSERT_EQ(run.status, 0) << run.err;
  TBitmap24 back;
  ASSERT_TRUE(LoadPictureFile(back, dir.File("back.bmp"), TPictureLoader()));
  EXPECT_TRUE(back.SameSizeAs(picture) && back.SamePixels(picture));
}

}  // namespace

namespace {

// Inputs that are not pictures and outputs that may not be replaced fail at once with the reason,
// and leave every file as it was.
struct TFileCase {
  const char* name;
  std::vector<std::string> args;
  const char* message;
};

class CliFiles : public ::testing::TestWithParam<TFileCase> {};

TEST_P(CliFiles, FailWithTheReasonAndChangeNothing) {
  TTempDir dir;
  SavePicture(PatternBitmap(8, 6), dir.File("in.bmp"));
  ASSERT_EQ(mkfifo(dir.File("fifo.jpg").c_str(), 0644), 0);
  ASSERT_EQ(mkfifo(dir.File("fifo.txt").c_str(), 0644), 0);
  // A PNG whose header reads but whose pixels are cut off.
  ASSERT_EQ(RunCli(dir, {"convert", "in.bmp", "whole.png"}).status, 0);
  WriteWholeFile(dir.File("cut.png"), ReadWholeFile(dir.File("whole.png")).substr(0, 40));
  const char* const kReadOnly[] = {"ro.bmp", "ro.jpg", "ro.png"};
  for (const char* name : kReadOnly) {
    WriteWholeFile(dir.File(name), "old");
    chmod(dir.File(name).c_str(), 0444);
  }
  const TRun run = RunCli(dir, GetParam().args);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find(GetParam().message), std::string::npos) << run.err;
  for (const char* name : kReadOnly) {
    EXPECT_EQ(ReadWholeFile(dir.File(name)), "old") << name;
    struct stat st;
    ASSERT_EQ(stat(dir.File(name).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u) << name;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliFiles,
    ::testing::Values(TFileCase{"InfoOfAFifo", {"info", "fifo.jpg"}, "not a regular file"},
                      TFileCase{
                          "ListIsAFifo", {"save-list", "fifo.txt", "out"}, "not a regular file"},
                      TFileCase{"InfoOfUndecodable", {"info", "cut.png"}, "cut.png: "},
                      TFileCase{"ReadOnlyBmp", {"convert", "in.bmp", "ro.bmp"}, "read-only"},
                      TFileCase{"ReadOnlyJpeg", {"convert", "in.bmp", "ro.jpg"}, "read-only"},
                      TFileCase{"ReadOnlyPng", {"convert", "in.bmp", "ro.png"}, "read-only"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

// The save methods of save-list name their files as the batch save dialog does.
TEST(CliSaveList, MethodsNameTheFilesAsTheBatchSaveDoes) {
  TTempDir dir;
  SavePicture(PatternBitmap(32, 24), dir.File("a.jpg"));
  SavePicture(PatternBitmap(24, 32), dir.File("b.bmp"));
  WriteWholeFile(dir.File("files.txt"), "//FiF\\a.jpg\r\n//FiF\\b.bmp\r\n");
  WriteWholeFile(dir.File("mixed.txt"), "//FiF\\a.jpg\r\n//FiF\\b.bmp/0/0/8/8\r\n");
  const std::string p = dir.Path().string();
  struct {
    std::vector<std::string> args;
    int status;
    std::string out;
  } cases[] = {
      {{"save-list", "files.txt", "s", "--method", "serial", "--name", "photo08.jpg"},
       0,
       "s/photo08.jpg\ns/photo09.jpg\n"},
      {{"save-list", "files.txt", "k", "--method", "serial", "--keep-ext"},
       0,
       "k/001.jpg\nk/002.bmp\n"},
      {{"save-list", "files.txt", "--method", "same-folder"},
       0,
       p + "/a_01.jpg\n" + p + "/b_01.bmp\n"},
      {{"save-list", "mixed.txt", "--method", "subfolder"},
       0,
       p + "/001/a.jpg\n" + p + "/001/b.bmp\n"},
      {{"save-list", "mixed.txt", "--method", "overwrite"}, 1, ""},
  };
  for (const auto& c : cases) {
    const TRun run = RunCli(dir, c.args);
    EXPECT_EQ(run.status, c.status) << c.args[3] << run.err;
    EXPECT_EQ(run.out, c.out) << c.args[3];
  }
  EXPECT_NE(RunCli(dir, {"save-list", "mixed.txt", "--method", "overwrite"})
                .err.find("キャプデータピクチャーの上書き保存はできません。"),
            std::string::npos);
  EXPECT_EQ(RunCli(dir, {"save-list", "files.txt", "--method", "same-name"}).status, 2);
  EXPECT_EQ(RunCli(dir, {"save-list", "files.txt", "--method", "same-folder", "--keep-ext"}).status,
            2);
}
