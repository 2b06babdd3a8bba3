// Cap data records: rendering and saving record lines, whole data files, and the text escapes.
#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliFitFrame.h"
#include "cli/CliPictures.h"
#include "cli/CliProgress.h"
#include "engine/BandExecutor.h"
#include "engine/CaptureBasics.h"
#include "engine/CaptureRender.h"
#include "engine/FileNames.h"
#include "engine/ImageBasics.h"
#include "engine/ImageFilterSimple.h"
#include "engine/ImageUtils.h"
#include "model/BatchSave.h"
#include "model/SaveNaming.h"
#include "platform/LineFile.h"
#include "platform/PathText.h"
#include "platform/QtFontRasteriser.h"

namespace {

const PathText& Paths() {
  static const PathText paths = PathText::Native();
  return paths;
}

const TQtFontRasteriser& Fonts() {
  static const TQtFontRasteriser fonts;
  return fonts;
}

// Rotation mode and back colour; text effects are always drawn.
TCapDataEffectOptions EffectOptions(const TCliArgs& args) {
  TCapDataEffectOptions options;
  options.rotation_mode = args.Int("rotation-mode", 0);
  if (options.rotation_mode < 0 || options.rotation_mode > 2)
    throw TCliUsageError{"--rotation-mode must be 0, 1 or 2"};
  options.rotation_back = args.Color("rotation-back", kWhite);
  options.fonts = &Fonts();
  return options;
}

bool Record(const std::string& line, TCapData& record, int& status) {
  if (ParseCapDataLine(line, Paths(), record)) return true;
  status = CliFailure("not a cap data record (PATH/X/Y/W/H and up to six effects): " + line);
  return false;
}

// Why a render or save failed: the engine's message, else a missing file or a region beyond
// the working size limit.
std::string WhyNot(const TCapData& record, const std::string& message, const char* what) {
  if (!message.empty()) return message;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(record.path, ec)) return "file not found: " + record.path;
  if (!TImU::SizeIsAllowed(record.w, record.h)) return CliRefusal("the region", record.w, record.h);
  if (!record.effects.empty())
    return std::string(what) + ": an effect cannot be applied to the " + std::to_string(record.w) +
           " x " + std::to_string(record.h) + " region (a turn may pass the working size limit)";
  return what;
}

// A cut written over its own source would lose the picture it was cut from.
void CheckNotSource(const TCapData& record, const std::string& output) {
  std::error_code ec;
  if (std::filesystem::equivalent(record.path, output, ec))
    throw TCliUsageError{"the output " + output + " is the record's picture; name another file"};
}

int RenderFailure(const TCapData& record, const std::string& message, const char* what) {
  return CliFailure(WhyNot(record, message, what));
}

// The record's effects in order, as the display applies them, except that an entry of no known
// kind stops the render instead of being passed over, and a kernel filter that fails passes on
// every message it gave, in order, as the kernel command prints them.
bool ApplyEffectsOrSay(TBitmap24& picture, const TCapData& record,
                       const TCapDataEffectOptions& options, std::vector<std::string>& messages) {
  for (const std::string& entry : record.effects) {
    switch (EffectKindOf(entry)) {
      case TEffectKind::kNone:
        messages.push_back("unknown effect (ARo, RGB, FFi or Txt expected): " + entry);
        return false;
      case TEffectKind::kFreeFilter: {
        TImageFilterSimple filter(options.owner);
        if (filter.RunKernelText(picture, std::string(EffectParameters(entry)))) break;
        for (const TFilterMessage& m : filter.Messages())
          if (m.caption == TImageFilterSimple::kConfirmCaption) messages.push_back(m.text);
        if (messages.empty()) messages.push_back("the effect cannot be applied: " + entry);
        return false;
      }
      default: {
        std::string message;
        if (!ApplyCapDataEffects(picture, {entry}, options, false, &message)) {
          messages.push_back(message.empty() ? "the effect cannot be applied: " + entry : message);
          return false;
        }
      }
    }
  }
  return true;
}

int EffectFailure(const std::vector<std::string>& messages) {
  for (const std::string& m : messages) std::fprintf(stderr, "%s\n", m.c_str());
  return 1;
}

int Render(const std::vector<std::string>& raw) {
  TCliArgs args(raw);
  args.ExpectPositional(2);
  CheckOutput(args, 1);
  const TCapDataEffectOptions effects = EffectOptions(args);
  const int quality = CliQuality(args);
  TCapData record;
  int status = 0;
  if (!Record(args.Positional(0), record, status)) return status;
  CheckNotSource(record, args.Positional(1));
  TBitmap24 picture;
  std::string message;
  if (!RenderRegion(picture, record, false, CliPictureLoader(), &message))
    return RenderFailure(record, message, "the record cannot be rendered");
  std::vector<std::string> messages;
  if (!ApplyEffectsOrSay(picture, record, effects, messages)) return EffectFailure(messages);
  return CliSave(picture, args.Positional(1), quality);
}

int RenderAspect(const std::vector<std::string>& raw) {
  TCliArgs args(raw);
  args.ExpectPositional(2);
  CheckOutput(args, 1);
  const std::string box = args.RequiredText("box");
  const std::size_t comma = box.find(',');
  if (comma == std::string::npos) throw TCliUsageError{"--box needs WIDTH,HEIGHT"};
  const int box_width = ParseCliInt(box.substr(0, comma));
  const int box_height = ParseCliInt(box.substr(comma + 1));
  const int anchor = args.RequiredInt("anchor");
  if (anchor < 1 || anchor > 9) throw TCliUsageError{"--anchor must be 1..9"};
  const TCapDataEffectOptions effects = EffectOptions(args);
  const int quality = CliQuality(args);
  TCapData record;
  int status = 0;
  if (!Record(args.Positional(0), record, status)) return status;
  CheckNotSource(record, args.Positional(1));
  TBitmap24 picture;
  std::string message;
  if (!RenderRegionToAspect(picture, record, anchor, box_height, box_width, CliPictureLoader(),
                            &message))
    return RenderFailure(record, message, "the record cannot be rendered");
  std::vector<std::string> messages;
  if (!ApplyEffectsOrSay(picture, record, effects, messages)) return EffectFailure(messages);
  return CliSave(picture, args.Positional(1), quality);
}

TCapDataSaveOptions SaveOptions(const TCliArgs& args) {
  TCapDataSaveOptions options;
  options.frame = ReadFitFrameOptions(args);
  options.effects = EffectOptions(args);
  options.fit_region_to_box = args.Flag("fit-region");
  return options;
}

int SaveRecord(const std::vector<std::string>& raw) {
  TCliArgs args(raw, FitFrameFlags({"fit-region"}));
  args.ExpectPositional(2);
  const TCapDataSaveOptions options = SaveOptions(args);
  CheckOutputFolder(args.Positional(1));
  TCapData record;
  int status = 0;
  if (!Record(args.Positional(0), record, status)) return status;
  TBitmap24 picture;
  std::string message, saved;
  if (!SaveCapData(picture, record, args.Positional(1), options, CliPictureLoader(), &saved,
                   &message)) {
    if (message.empty()) message = FitFrameRefusal(picture, options.frame);
    return RenderFailure(record, message, "the record cannot be saved");
  }
  std::printf("%s\n", saved.c_str());
  return 0;
}

// Markers of a data file: the file's own folder and drive, and the folder of this program.
TReferenceRoots RootsFor(const std::string& data_file) {
  const PathText& paths = Paths();
  std::error_code ec;
  const std::string absolute = std::filesystem::absolute(data_file, ec).string();
  TReferenceRoots roots;
  roots.data_folder = paths.FolderOf(absolute);
  roots.data_drive = paths.DriveOf(roots.data_folder);
  roots.program_folder = paths.FolderText(QCoreApplication::applicationDirPath().toStdString());
  roots.program_drive = paths.DriveOf(roots.program_folder);
  return roots;
}

TSaveMethod MethodOption(const TCliArgs& args) {
  const std::string text = args.Text("method", "same-name");
  static const char* const kNames[] = {"serial", "same-name", "overwrite", "subfolder",
                                       "same-folder"};
  for (int i = 0; i < 5; ++i)
    if (text == kNames[i] || text == std::to_string(i)) return SaveMethodOf(i);
  throw TCliUsageError{"--method must be serial, same-name, overwrite, subfolder or same-folder"};
}

// A line as a message may show it: a NUL would end the message where it stands.
std::string Shown(std::string line) {
  for (std::size_t at; (at = line.find('\0')) != std::string::npos;) line.replace(at, 1, "\\0");
  return line;
}

int SaveList(const std::vector<std::string>& raw) {
  TCliArgs args(raw, FitFrameFlags({"fit-region", "keep-ext"}));
  const TSaveMethod method = MethodOption(args);
  // The serial and same-name methods write into OUTDIR; the others beside the sources.
  args.ExpectPositional(AsksForName(method) ? 2 : 1);
  if (!AsksForName(method) && (args.Has("name") || args.Flag("keep-ext")))
    throw TCliUsageError{"--name and --keep-ext go with --method serial or same-name"};
  const std::string data_file = args.Positional(0);
  const TListPictureSource::TOptions options = [&] {
    const TCapDataSaveOptions save = SaveOptions(args);
    return TListPictureSource::TOptions{save.frame, save.effects, save.fit_region_to_box};
  }();
  const PathText& paths = Paths();
  std::vector<std::string> lines;
  std::string error;
  if (!LineFile::Read(data_file, lines, &error))
    return CliFailure(data_file + ": " + (error.empty() ? "cannot read the file" : error));
  TSaveChoice choice;
  if (AsksForName(method)) {
    const std::string folder = args.Positional(1);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (!std::filesystem::is_directory(folder, ec))
      return CliFailure("save-list: the output folder " + folder + " cannot be made");
    CheckOutputFolder(paths.Join(folder, "x"));
    // Without a name each picture keeps its own name and kind (JPEG stays JPEG, others BMP).
    const std::string name = args.Text("name", method == TSaveMethod::kSerial ? "001.jpg" : "");
    if (name.find('/') != std::string::npos) throw TCliUsageError{"--name is a file name"};
    choice = ReadSaveChoice(paths.Join(folder, name.empty() ? "x.jpg" : name), 2,
                            args.Flag("keep-ext") || name.empty());
  }

  const TReferenceRoots roots = RootsFor(data_file);
  std::vector<std::string> listed;
  for (const std::string& line : lines)
    if (!line.empty()) listed.push_back(paths.ResolveReference(line, roots));
  std::vector<TSaveItem> items = ReadSaveItems(listed, paths);
  if (method == TSaveMethod::kOverwrite && HoldsRecords(items))
    return CliFailure("キャプデータピクチャーの上書き保存はできません。");
  const TSavePlan plan = PlanSaveNames(method, items, choice);
  std::string failed_folder;
  if (!MakeSaveFolders(plan, failed_folder))
    return CliFailure(failed_folder + ": にサブディレクトリを作成できませんでした。");
  TListPictureSource source(items, options, CliPictureLoader());
  TBatchSaveRun run(source, plan);

  // The items run on the worker threads; this thread shows the count meanwhile.
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  std::thread worker([&] {
    run.Run(DefaultBandExecutor());
    std::lock_guard<std::mutex> lock(mutex);
    done = true;
    finished.notify_one();
  });
  {
    std::unique_lock<std::mutex> lock(mutex);
    const long long total = static_cast<long long>(items.size());
    while (!finished.wait_for(lock, std::chrono::milliseconds(100), [&] { return done; }))
      CliProgress().Count(static_cast<long long>(run.Begun()), total);
    CliProgress().Count(total, total);
  }
  worker.join();
  CliProgress().Clear();
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (!run.SavedPath(i).empty()) {
      std::printf("%s\n", run.SavedPath(i).c_str());
      continue;
    }
    std::fflush(stdout);
    const std::string& message =
        items[i].kind == TSaveItemKind::kUnusable ? kUnknownDataMessage : run.Message(i);
    CliFailure(Shown(items[i].line) + ": " + message);
  }
  std::fflush(stdout);
  if (run.NotSaved() == 0) return 0;
  return CliFailure(std::to_string(run.NotSaved()) + "個のファイルは保存できませんでした。");
}

int Escape(const std::vector<std::string>& raw) {
  TCliArgs args(raw);
  args.ExpectPositional(1);
  std::printf("%s\n", EscapeText(args.Positional(0)).c_str());
  return 0;
}

int Unescape(const std::vector<std::string>& raw) {
  TCliArgs args(raw);
  args.ExpectPositional(1);
  std::printf("%s\n", UnescapeText(args.Positional(0)).c_str());
  return 0;
}

constexpr char kEffectUsage[] = "[--rotation-mode 0|1|2] [--rotation-back COLOUR]";

const TCliRegistrar kRender{
    {"render", std::string("LINE OUT ") + kEffectUsage + " [--quality Q]", Render}};
const TCliRegistrar kRenderAspect{
    {"render-aspect",
     std::string("LINE OUT --box WIDTH,HEIGHT --anchor 1..9 ") + kEffectUsage + " [--quality Q]",
     RenderAspect}};
const TCliRegistrar kSaveCapData{
    {"save-capdata",
     std::string("LINE OUT|\"\" ") + kFitFrameUsage + " [--fit-region] " + kEffectUsage,
     SaveRecord}};
const TCliRegistrar kSaveList{
    {"save-list",
     std::string("DATAFILE [OUTDIR] [--method serial|same-name|overwrite|subfolder|same-folder] "
                 "[--name NAME] [--keep-ext] ") +
         kFitFrameUsage + " [--fit-region] " + kEffectUsage,
     SaveList}};
const TCliRegistrar kEscape{{"escape", "TEXT", Escape}};
const TCliRegistrar kUnescape{{"unescape", "TEXT", Unescape}};

}  // namespace
