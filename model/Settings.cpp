#include "model/Settings.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <type_traits>
#include <utility>

#include "platform/IniFile.h"
#include "platform/PathText.h"

namespace {

template <typename T>
constexpr TSettingKind KindOf() {
  if constexpr (std::is_same_v<T, bool>)
    return TSettingKind::Bool;
  else if constexpr (std::is_same_v<T, int>)
    return TSettingKind::Int;
  else if constexpr (std::is_same_v<T, TColor>)
    return TSettingKind::Color;
  else if constexpr (std::is_same_v<T, double>)
    return TSettingKind::Float;
  else
    return TSettingKind::String;
}

#define VM_SETTING(section, key, member)                                     \
  TSettingDef {                                                              \
    section, key, KindOf<decltype(std::declval<TMainSettings&>().member)>(), \
        [](TMainSettings& s) -> void* { return &s.member; }                  \
  }
#define VM_SETTING_AS(section, key, member, kind)                           \
  TSettingDef {                                                             \
    section, key, kind, [](TMainSettings& s) -> void* { return &s.member; } \
  }

std::vector<TSettingDef> BuildSchema() {
  const char* f = "Form";
  const char* p = "Panel";
  const char* ff = "FileFilter";
  const char* e = "Effect";
  const char* b = "BaseSettings";
  const char* t = "PictureTableForm";
  const char* pl = "PlayListViewerForm";
  const char* iv = "ImageViewBasicForm";
  const char* g = "PictureGridForm";
  const char* ta = "TextArrange";
  const char* fu = "FusionArrange";
  return {
      VM_SETTING(f, "Maximized", form.maximized),
      VM_SETTING(f, "Left", form.left),
      VM_SETTING(f, "Top", form.top),
      VM_SETTING(f, "Width", form.width),
      VM_SETTING(f, "Height", form.height),

      VM_SETTING(p, "LeftWidth", panel.left_width),
      VM_SETTING(p, "DirHeight", panel.dir_height),
      VM_SETTING(p, "RightWidth", panel.right_width),
      VM_SETTING(p, "ImagePanelLeft", panel.image_panel_left),
      VM_SETTING(p, "ImagePanelTop", panel.image_panel_top),
      VM_SETTING(p, "TextDataListBoxHeight", panel.text_data_list_box_height),

      VM_SETTING(ff, "bmpFile", file_filter.bmp_file),
      VM_SETTING(ff, "jpgFile", file_filter.jpg_file),
      VM_SETTING(ff, "icoFile", file_filter.ico_file),
      VM_SETTING(ff, "wmfFile", file_filter.wmf_file),
      VM_SETTING(ff, "emfFile", file_filter.emf_file),
      VM_SETTING(ff, "ShowFilePathHint", file_filter.show_file_path_hint),
      VM_SETTING(ff, "ShowPictureData", file_filter.show_picture_data),
      VM_SETTING(ff, "StockFileList", file_filter.stock_file_list),
      VM_SETTING(ff, "StockCapDataList", file_filter.stock_cap_data_list),
      VM_SETTING(ff, "GetFileList", file_filter.get_file_list),
      VM_SETTING(ff, "GetFileListDivided", file_filter.get_file_list_divided),
      VM_SETTING(ff, "JPEGSaveQuality", file_filter.jpeg_save_quality),
      VM_SETTING(ff, "ExChangeListBox", file_filter.ex_change_list_box),
      VM_SETTING(ff, "ShowTextDataPicture", file_filter.show_text_data_picture),
      VM_SETTING(ff, "PictureSlideAllTextDataList", file_filter.picture_slide_all_text_data_list),

      VM_SETTING(e, "RectifyType", effect.rectify_type),
      VM_SETTING(e, "Rotation", effect.rotation),
      VM_SETTING(e, "RotationBackColor", effect.rotation_back_color),
      VM_SETTING(e, "RotationIgnoreBackColor", effect.rotation_ignore_back_color),
      VM_SETTING(e, "ShowProgressPanel", effect.show_progress_panel),
      VM_SETTING(e, "ResizeWidth", effect.resize_width),
      VM_SETTING(e, "ResizeHeight", effect.resize_height),
      VM_SETTING(e, "ResizeCanZoom", effect.resize_can_zoom),
      VM_SETTING(e, "ResizeSaveMethod", effect.resize_save_method),
      VM_SETTING(e, "ResizeDoRectify", effect.resize_do_rectify),
      VM_SETTING(e, "SaveRectifyType", effect.save_rectify_type),
      VM_SETTING(e, "NotChangeExtName", effect.not_change_ext_name),
      VM_SETTING(e, "WithBackColor", effect.with_back_color),
      VM_SETTING(e, "BackColor", effect.back_color),
      VM_SETTING(e, "WithEdge", effect.with_edge),
      VM_SETTING(e, "EdgeSize", effect.edge_size),
      VM_SETTING(e, "EdgeColor", effect.edge_color),
      VM_SETTING(e, "EdgeSurroundPicture", effect.edge_surround_picture),
      VM_SETTING(e, "JPEGSaveQuality", effect.jpeg_save_quality),

      VM_SETTING(b, "SetMenu", base.set_menu),
      VM_SETTING(b, "NowFolder", base.now_folder),
      VM_SETTING(b, "UsedFolder", base.used_folder),
      VM_SETTING(b, "SaveFolder", base.save_folder),
      VM_SETTING(b, "DataFolder", base.data_folder),
      VM_SETTING(b, "Position", base.position),
      VM_SETTING(b, "ZoomRate", base.zoom_rate),
      VM_SETTING(b, "SlideView", base.slide_view),
      VM_SETTING(b, "SlideInterval", base.slide_interval),
      VM_SETTING(b, "SlideRepeat", base.slide_repeat),
      VM_SETTING(b, "SlideBackColor", base.slide_back_color),
      VM_SETTING(b, "ZoomReal", base.zoom_real),
      VM_SETTING(b, "RealZoomControl", base.real_zoom_control),
      VM_SETTING(b, "RealZoomControlIn", base.real_zoom_control_in),
      VM_SETTING(b, "NotFittingCapture", base.not_fitting_capture),
      VM_SETTING(b, "CapGridWidth", base.cap_grid_width),
      VM_SETTING(b, "SearchMoreDrive", base.search_more_drive),
      VM_SETTING(b, "KernelBound", base.kernel_bound),
      VM_SETTING(b, "KernelCenterPercent", base.kernel_center_percent),
      VM_SETTING(b, "KernelStrength", base.kernel_strength),
      VM_SETTING(b, "KernelCenterPercentManual", base.kernel_center_percent_manual),
      VM_SETTING(b, "KernelOption", base.kernel_option),
      VM_SETTING(b, "KernelValueGrid", base.kernel_value_grid),
      VM_SETTING(b, "KernelShow", base.kernel_show),
      VM_SETTING(b, "EveryRectifyType", base.every_rectify_type),

      VM_SETTING(t, "Left", picture_table.left),
      VM_SETTING(t, "Top", picture_table.top),
      VM_SETTING(t, "Width", picture_table.width),
      VM_SETTING(t, "Height", picture_table.height),
      VM_SETTING(t, "HCount", picture_table.h_count),
      VM_SETTING(t, "WCount", picture_table.w_count),
      VM_SETTING(t, "DisplayZeroLeft", picture_table.display_zero_left),
      VM_SETTING(t, "DisplayZeroTop", picture_table.display_zero_top),
      VM_SETTING(t, "PanelZeroLeft", picture_table.panel_zero_left),
      VM_SETTING(t, "PanelZeroTop", picture_table.panel_zero_top),
      VM_SETTING(t, "PanelSpace", picture_table.panel_space),
      VM_SETTING(t, "ImageZeroLeft", picture_table.image_zero_left),
      VM_SETTING(t, "ImageZeroTop", picture_table.image_zero_top),
      VM_SETTING(t, "PanelArrangeDirection", picture_table.panel_arrange_direction),
      VM_SETTING(t, "SlideInterval", picture_table.slide_interval),
      VM_SETTING(t, "SlideRepeat", picture_table.slide_repeat),
      VM_SETTING(t, "SlideBackColor", picture_table.slide_back_color),
      VM_SETTING(t, "NotGetThumbNail", picture_table.not_get_thumb_nail),
      VM_SETTING(t, "EveryRectifyType", picture_table.every_rectify_type),
      VM_SETTING(t, "RectifyBeforeEffect", picture_table.rectify_before_effect),
      VM_SETTING(t, "ShowFileData", picture_table.show_file_data),
      VM_SETTING(t, "ProgressPanelShowType", picture_table.progress_panel_show_type),
      VM_SETTING(t, "ShowRectifiedPicture", picture_table.show_rectified_picture),
      VM_SETTING(t, "RotationType", picture_table.rotation_type),
      VM_SETTING(t, "RotationBackColor", picture_table.rotation_back_color),
      VM_SETTING(t, "RotationIgnoreSlideBackColor", picture_table.rotation_ignore_slide_back_color),
      VM_SETTING(t, "RectifyType", picture_table.rectify_type),
      VM_SETTING(t, "ThumbSizeWidth", picture_table.thumb_size_width),
      VM_SETTING(t, "ThumbSizeHeight", picture_table.thumb_size_height),
      VM_SETTING(t, "ThumbSizePercent", picture_table.thumb_size_percent),
      VM_SETTING_AS(t, "ThumbPercentPercent", picture_table.thumb_percent_percent,
                    TSettingKind::IntWrittenAsFloat),
      VM_SETTING(t, "ThumbPercentWidth", picture_table.thumb_percent_width),
      VM_SETTING(t, "ThumbPercentHeight", picture_table.thumb_percent_height),
      VM_SETTING(t, "ThumbControlWithPercent", picture_table.thumb_control_with_percent),
      VM_SETTING(t, "ThumbSizePercentControl", picture_table.thumb_size_percent_control),
      VM_SETTING(t, "ThumbPercentSizeControl", picture_table.thumb_percent_size_control),
      VM_SETTING(t, "ThumbCapacity", picture_table.thumb_capacity),
      VM_SETTING(t, "ThumbCount", picture_table.thumb_count),
      VM_SETTING(t, "ThumbGetRectified", picture_table.thumb_get_rectified),
      VM_SETTING(t, "KernelBound", picture_table.kernel_bound),
      VM_SETTING(t, "KernelCenterPercent", picture_table.kernel_center_percent),
      VM_SETTING(t, "KernelStrength", picture_table.kernel_strength),
      VM_SETTING(t, "KernelCenterPercentManual", picture_table.kernel_center_percent_manual),
      VM_SETTING(t, "KernelOption", picture_table.kernel_option),
      VM_SETTING(t, "KernelValueGrid", picture_table.kernel_value_grid),
      VM_SETTING(t, "FileExtractType", picture_table.file_extract_type),
      VM_SETTING(t, "FileExtractWidth", picture_table.file_extract_width),
      VM_SETTING(t, "FileExtractHeight", picture_table.file_extract_height),
      VM_SETTING(t, "FileExtractFileSize", picture_table.file_extract_file_size),
      VM_SETTING(t, "FileExtractWHOr", picture_table.file_extract_wh_or),
      VM_SETTING(t, "FileExtractOption", picture_table.file_extract_option),

      VM_SETTING(pl, "Width", play_list.width),
      VM_SETTING(pl, "Height", play_list.height),
      VM_SETTING(pl, "Left", play_list.left),
      VM_SETTING(pl, "Top", play_list.top),
      VM_SETTING(pl, "FileListBoxWidth", play_list.file_list_box_width),
      VM_SETTING(pl, "FileNavigatorHeight", play_list.file_navigator_height),
      VM_SETTING(pl, "FileSaveReferenceFileFolder", play_list.file_save_reference_file_folder),
      VM_SETTING(pl, "FileSaveReferenceOnlyDrive", play_list.file_save_reference_only_drive),

      VM_SETTING(iv, "Left", image_view.left),
      VM_SETTING(iv, "Top", image_view.top),
      VM_SETTING(iv, "Width", image_view.width),
      VM_SETTING(iv, "Height", image_view.height),
      VM_SETTING(iv, "SlideAll", image_view.slide_all),
      VM_SETTING(iv, "SlideRepeat", image_view.slide_repeat),
      VM_SETTING(iv, "SlideInterval", image_view.slide_interval),
      VM_SETTING(iv, "ImageCenter", image_view.image_center),

      VM_SETTING(g, "Width", picture_grid.width),
      VM_SETTING(g, "Height", picture_grid.height),
      VM_SETTING(g, "RightPanelWidth", picture_grid.right_panel_width),
      VM_SETTING(g, "WCount", picture_grid.w_count),
      VM_SETTING(g, "SeizeSelect", picture_grid.seize_select),
      VM_SETTING(g, "SizeHeight", picture_grid.size_height),
      VM_SETTING(g, "SizeWidth", picture_grid.size_width),
      VM_SETTING(g, "SizeGrid", picture_grid.size_grid),
      VM_SETTING(g, "ShowRepeat", picture_grid.show_repeat),
      VM_SETTING(g, "GetPicture", picture_grid.get_picture),
      VM_SETTING(g, "ShowOtherPicture", picture_grid.show_other_picture),
      VM_SETTING(g, "ShowAll", picture_grid.show_all),
      VM_SETTING(g, "ShowRealSize", picture_grid.show_real_size),
      VM_SETTING(g, "ShowReverse", picture_grid.show_reverse),
      VM_SETTING(g, "Left", picture_grid.left),
      VM_SETTING(g, "Top", picture_grid.top),

      VM_SETTING(ta, "TextFont", text_arrange.text_font),
      VM_SETTING(ta, "TextOptions", text_arrange.text_options),
      VM_SETTING(ta, "BaseData", text_arrange.base_data),

      VM_SETTING(fu, "BackColor", fusion.back_color),
      VM_SETTING(fu, "GroundColor", fusion.ground_color),
      VM_SETTING(fu, "BrightRate", fusion.bright_rate),
      VM_SETTING(fu, "RangeSuperMax", fusion.range_super_max),
      VM_SETTING(fu, "TransPosition", fusion.trans_position),
      VM_SETTING(fu, "AnyToneLevel", fusion.any_tone_level),
      VM_SETTING(fu, "UpDownLevel", fusion.up_down_level),
      VM_SETTING(fu, "OverRange", fusion.over_range),

      VM_SETTING("Palette", "PaletteShow", palette.palette_show),

      // Beyond the original program: its own section after the design's.
      VM_SETTING("Extensions", "LargePictures", extensions.large_pictures),
      VM_SETTING("Extensions", "OtherFormats", extensions.other_formats),
      VM_SETTING("Extensions", "ReadAhead", extensions.read_ahead),
      VM_SETTING("Extensions", "ReadAheadMegabytes", extensions.read_ahead_megabytes),
      VM_SETTING("Extensions", "QuickThumbnails", extensions.quick_thumbnails),
  };
}

#undef VM_SETTING
#undef VM_SETTING_AS

bool IsFormBoundsKey(const TSettingDef& def) {
  const std::string section = def.section, key = def.key;
  return section == "Form" && key != "Maximized";
}

}  // namespace

const std::vector<TSettingDef>& SettingsSchema() {
  static const std::vector<TSettingDef> schema = BuildSchema();
  return schema;
}

TMainSettings DefaultSettings(const TSettingsContext& context) {
  TMainSettings s;
  s.effect.resize_width = context.screen_width;
  s.effect.resize_height = context.screen_height;
  s.base.now_folder = context.program_folder;
  s.base.save_folder = context.program_folder;
  s.base.data_folder = context.program_folder;
  s.play_list.left = (context.screen_width - s.play_list.width) / 2;
  s.play_list.top = (context.screen_height - s.play_list.height) / 4;
  PlaceFormPosition(s.picture_grid.width, s.picture_grid.height, context.screen_width,
                    context.screen_height, s.picture_grid.left, s.picture_grid.top);
  return s;
}

void ReadSettings(const TIniFile& ini, TMainSettings& settings) {
  for (const TSettingDef& def : SettingsSchema()) {
    if (IsFormBoundsKey(def) && settings.form.maximized) continue;
    void* field = def.field(settings);
    switch (def.kind) {
      case TSettingKind::Bool: {
        bool& v = *static_cast<bool*>(field);
        v = ini.ReadBool(def.section, def.key, v);
        break;
      }
      case TSettingKind::Int: {
        int& v = *static_cast<int*>(field);
        v = ini.ReadInteger(def.section, def.key, v);
        break;
      }
      case TSettingKind::Color: {
        TColor& v = *static_cast<TColor*>(field);
        v = static_cast<TColor>(ini.ReadInteger(def.section, def.key, static_cast<int>(v)));
        break;
      }
      case TSettingKind::Float: {
        double& v = *static_cast<double*>(field);
        v = ini.ReadFloat(def.section, def.key, v);
        break;
      }
      case TSettingKind::IntWrittenAsFloat: {
        // Written as a float but read as a whole number: "50" reads, "50.5" keeps the default.
        double& v = *static_cast<double*>(field);
        v = ini.ReadInteger(def.section, def.key, static_cast<int>(v));
        break;
      }
      case TSettingKind::String: {
        std::string& v = *static_cast<std::string*>(field);
        v = ini.ReadString(def.section, def.key, v);
        break;
      }
    }
  }
}

void NormalizeSettings(TMainSettings& settings, const TSettingsContext& context,
                       const PathText& paths) {
  TBaseSettings& base = settings.base;
  if (base.position < 1 || base.position > 9) base.position = 5;
  if (base.kernel_bound < 3) base.kernel_bound = 3;
  if (!base.search_more_drive.empty() && !paths.IsKnownDrive(base.search_more_drive))
    base.search_more_drive.clear();
  // Values a hand-edited file can hold beyond what the window and the settings dialog allow
  // are brought inside those ranges, so that no layout sum can overflow.
  TPanelSettings& panel = settings.panel;
  const int screen_w = std::max(context.screen_width, 1),
            screen_h = std::max(context.screen_height, 1);
  panel.left_width = std::clamp(panel.left_width, 80, std::max(80, screen_w));
  panel.right_width = std::clamp(panel.right_width, 101, std::max(101, screen_w));
  panel.dir_height = std::clamp(panel.dir_height, 0, screen_h);
  panel.text_data_list_box_height =
      std::clamp(panel.text_data_list_box_height, 30, std::max(30, screen_h));
  panel.image_panel_left = std::clamp(panel.image_panel_left, 0, 25);
  panel.image_panel_top = std::clamp(panel.image_panel_top, 0, 25);
  base.slide_interval = std::clamp(base.slide_interval, 1, 60000);
  base.zoom_rate = std::clamp(base.zoom_rate, 1, 100);
  if (!(base.real_zoom_control > 0)) base.real_zoom_control = 1.0;
  settings.file_filter.jpeg_save_quality =
      std::clamp(settings.file_filter.jpeg_save_quality, 1, 100);
  settings.effect.jpeg_save_quality = std::clamp(settings.effect.jpeg_save_quality, 1, 100);
  settings.extensions.read_ahead = std::clamp(settings.extensions.read_ahead, 0, kMaxReadAhead);
  settings.extensions.read_ahead_megabytes = std::clamp(
      settings.extensions.read_ahead_megabytes, kMinReadAheadMegabytes, kMaxReadAheadMegabytes);
  TFormSettings& form = settings.form;
  // A size that cannot be a window is unreadable data: the default size is used instead.
  const TFormSettings defaults;
  if (form.width <= 0) form.width = defaults.width;
  if (form.height <= 0) form.height = defaults.height;
  const TFormBounds b = ClampFormBounds({form.left, form.top, form.width, form.height},
                                        context.screen_width, context.screen_height);
  form.left = b.left;
  form.top = b.top;
  form.width = b.width;
  form.height = b.height;
}

void WriteSettings(const TMainSettings& settings, TIniFile& ini) {
  TMainSettings s = settings;  // the schema's accessors hand out writable fields
  for (const TSettingDef& def : SettingsSchema()) {
    void* field = def.field(s);
    switch (def.kind) {
      case TSettingKind::Bool:
        ini.WriteBool(def.section, def.key, *static_cast<bool*>(field));
        break;
      case TSettingKind::Int:
        ini.WriteInteger(def.section, def.key, *static_cast<int*>(field));
        break;
      case TSettingKind::Color:
        ini.WriteInteger(def.section, def.key, static_cast<int>(*static_cast<TColor*>(field)));
        break;
      case TSettingKind::Float:
      case TSettingKind::IntWrittenAsFloat:
        ini.WriteFloat(def.section, def.key, *static_cast<double*>(field));
        break;
      case TSettingKind::String:
        ini.WriteString(def.section, def.key, *static_cast<std::string*>(field));
        break;
    }
  }
}

TFormBounds FirstStartBounds(int screen_width, int screen_height) {
  const int width = screen_width * 2 / 3, height = screen_height * 2 / 3;
  return {(screen_width - width) / 2, (screen_height - height) / 2, width, height};
}

TFormBounds ClampFormBounds(TFormBounds b, int screen_width, int screen_height) {
  const double w = screen_width, h = screen_height;
  if (b.width > 0.98 * w && b.height > 0.95 * h) {
    b.width = static_cast<int>(0.98 * w);
    b.height = static_cast<int>(0.95 * h);
    b.left = (screen_width - b.width) / 2;
    b.top = 0;
    return b;
  }
  if (b.width > screen_width) b.width = screen_width;
  if (b.left > screen_width - 200)
    b.left = screen_width - 200;
  else if (static_cast<long long>(b.left) + b.width < 200)
    b.left = 200 - b.width;
  if (b.height > screen_height) b.height = screen_height;
  if (b.top > screen_height - 200)
    b.top = screen_height - 200;
  else if (b.top < 0)
    b.top = 0;
  return b;
}

void PlaceFormPosition(int width, int height, int screen_width, int screen_height, int& left,
                       int& top) {
  top = (screen_height - height) / 4;
  left = (screen_width - width) / 2;
}
