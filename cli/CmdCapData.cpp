// Cap data records: rendering and saving record lines, whole data files, and the text escapes.
#include <QCoreApplication>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliFitFrame.h"
#include "cli/CliPictures.h"
#include "cli/CliProgress.h"
#include "engine/CaptureBasics.h"
#include "engine/CaptureRender.h"
#include "engine/FileNames.h"
#include "engine/ImageBasics.h"
#include "engine/ImageFilterSimple.h"
#include "engine/ImageUtils.h"
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

int SaveList(const std::vector<std::string>& raw) {
  TCliArgs args(raw, FitFrameFlags({"fit-region"}));
  args.ExpectPositional(2);
  const std::string data_file = args.Positional(0), folder = args.Positional(1);
  const TCapDataSaveOptions options = SaveOptions(args);
  const PathText& paths = Paths();
  std::vector<std::string> lines;
  std::string error;
  if (!LineFile::Read(data_file, lines, &error))
    return CliFailure(data_file + ": " + (error.empty() ? "cannot read the file" : error));
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (!std::filesystem::is_directory(folder, ec))
    return CliFailure("save-list: the output folder " + folder + " cannot be made");
  CheckOutputFolder(paths.Join(folder, "x"));

  const TReferenceRoots roots = RootsFor(data_file);
  // Records cut from one picture follow each other in a list: decode it once for all of them.
  TPictureLoader loader = CliPictureLoader();
  loader.KeepLastPicture();
  const long long total =
      std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return !l.empty(); });
  long long done = 0;
  int not_saved = 0;
  for (const std::string& raw_line : lines) {
    if (raw_line.empty()) continue;
    CliProgress().Count(done++, total);
    const std::string line = paths.ResolveReference(raw_line, roots);
    TBitmap24 picture;
    std::string message, saved;
    bool ok = false;
    switch (paths.LineKind(line)) {
      case TDataLineKind::CapData: {
        TCapData record;
        if (!ParseCapDataLine(line, paths, record)) {
          message = kUnknownDataMessage;
          break;
        }
        // Same name in the output folder; a free name when taken.
        ok = SaveCapData(picture, record, paths.Join(folder, paths.FileName(record.path)), options,
                         loader, &saved, &message);
        if (!ok && message.empty()) message = FitFrameRefusal(picture, options.frame);
        if (!ok) message = WhyNot(record, message, "the record cannot be saved");
        break;
      }
      case TDataLineKind::FilePath:
        ok = FitFrameAndSave(picture, line, paths.Join(folder, paths.FileName(line)), options.frame,
                             loader, &message, &saved);
        if (!ok && message.empty()) message = FitFrameRefusal(picture, options.frame);
        if (!ok && message.empty()) message = "the picture cannot be saved";
        break;
      case TDataLineKind::Unknown:
        message = kUnknownDataMessage;
        break;
    }
    CliProgress().Clear();
    if (ok) {
      std::printf("%s\n", saved.c_str());
      std::fflush(stdout);
    } else {
      ++not_saved;
      std::string shown = raw_line;  // a NUL would end the message where it stands
      for (std::size_t at; (at = shown.find('\0')) != std::string::npos;)
        shown.replace(at, 1, "\\0");
      CliFailure(shown + ": " + message);
    }
  }
  CliProgress().Count(done, total);
  if (not_saved == 0) return 0;
  return CliFailure(std::to_string(not_saved) + "個のファイルは保存できませんでした。");
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
     std::string("DATAFILE OUTDIR ") + kFitFrameUsage + " [--fit-region] " + kEffectUsage,
     SaveList}};
const TCliRegistrar kEscape{{"escape", "TEXT", Escape}};
const TCliRegistrar kUnescape{{"unescape", "TEXT", Unescape}};

}  // namespace
