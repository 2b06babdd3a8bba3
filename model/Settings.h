#pragma once

#include <string>
#include <vector>

#include "engine/Bitmap24.h"

class TIniFile;
class PathText;

// Everything the settings file Velmora.ini remembers, as typed fields. The main window owns one
// TMainSettings; the other windows read theirs from it when they open and hand values back when
// they close. One schema table (SettingsSchema) drives reading, writing and the key order.

struct TFormSettings {
  bool maximized = false;
  int left = 0;
  int top = 0;
  int width = 500;
  int height = 400;
};

struct TPanelSettings {
  int left_width = 120;
  int dir_height = 154;
  int right_width = 101;
  int image_panel_left = 5;
  int image_panel_top = 0;
  int text_data_list_box_height = 30;
};

struct TFileFilterSettings {
  bool bmp_file = true;
  bool jpg_file = true;
  bool ico_file = true;
  bool wmf_file = true;
  bool emf_file = true;
  bool show_file_path_hint = false;
  bool show_picture_data = false;
  bool stock_file_list = false;
  bool stock_cap_data_list = false;
  bool get_file_list = false;
  bool get_file_list_divided = false;
  int jpeg_save_quality = 90;
  bool ex_change_list_box = false;
  bool show_text_data_picture = false;
  bool picture_slide_all_text_data_list = false;
};

struct TEffectSettings {
  int rectify_type = 0;
  int rotation = 0;
  TColor rotation_back_color = kWhite;
  bool rotation_ignore_back_color = false;
  int show_progress_panel = 0;
  int resize_width = 0;   // screen width
  int resize_height = 0;  // screen height
  bool resize_can_zoom = false;
  int resize_save_method = 0;
  bool resize_do_rectify = false;
  int save_rectify_type = 0;
  bool not_change_ext_name = false;
  bool with_back_color = false;
  TColor back_color = kBlack;
  bool with_edge = false;
  int edge_size = 1;
  TColor edge_color = kBlack;
  bool edge_surround_picture = false;
  int jpeg_save_quality = 90;
};

struct TBaseSettings {
  bool set_menu = false;
  std::string now_folder;   // program folder
  std::string used_folder;  // kept as found; written back with the last folder opened from
  std::string save_folder;  // program folder
  std::string data_folder;  // program folder
  int position = 5;
  int zoom_rate = 25;
  bool slide_view = true;
  int slide_interval = 2000;
  bool slide_repeat = false;
  TColor slide_back_color = kBlack;
  bool zoom_real = false;
  double real_zoom_control = 1.0;
  bool real_zoom_control_in = false;
  bool not_fitting_capture = false;
  int cap_grid_width = 1;
  std::string search_more_drive;
  int kernel_bound = 3;
  int kernel_center_percent = 50;
  int kernel_strength = 100;
  bool kernel_center_percent_manual = false;
  bool kernel_option = true;
  bool kernel_value_grid = false;
  bool kernel_show = false;
  int every_rectify_type = 0;
};

struct TPictureTableSettings {
  int left = 100;
  int top = 100;
  int width = 500;
  int height = 400;
  int h_count = 1;
  int w_count = 1;
  int display_zero_left = 1;
  int display_zero_top = 1;
  int panel_zero_left = 2;
  int panel_zero_top = 2;
  int panel_space = 0;
  int image_zero_left = 0;
  int image_zero_top = 0;
  int panel_arrange_direction = 0;
  int slide_interval = 2000;
  bool slide_repeat = false;
  TColor slide_back_color = kBlack;
  bool not_get_thumb_nail = false;
  int every_rectify_type = 0;
  bool rectify_before_effect = false;
  bool show_file_data = false;
  int progress_panel_show_type = 0;
  bool show_rectified_picture = false;
  int rotation_type = 0;
  TColor rotation_back_color = kWhite;
  bool rotation_ignore_slide_back_color = false;
  int rectify_type = 0;
  int thumb_size_width = 400;
  int thumb_size_height = 400;
  int thumb_size_percent = 50;
  double thumb_percent_percent = 50;  // read as a whole number, written as a float
  int thumb_percent_width = 0;
  int thumb_percent_height = 0;
  bool thumb_control_with_percent = false;
  bool thumb_size_percent_control = false;
  bool thumb_percent_size_control = false;
  int thumb_capacity = 100;
  int thumb_count = 250;
  bool thumb_get_rectified = false;
  int kernel_bound = 3;
  int kernel_center_percent = 50;
  int kernel_strength = 100;
  bool kernel_center_percent_manual = false;
  bool kernel_option = true;
  bool kernel_value_grid = false;
  int file_extract_type = 0;
  int file_extract_width = 250;
  int file_extract_height = 250;
  double file_extract_file_size = 250;  // KB, with decimals ("250.4")
  int file_extract_wh_or = 0;
  int file_extract_option = 2;
};

struct TPlayListViewerSettings {
  int width = 250;
  int height = 400;
  int left = 0;  // (screen width - width) / 2
  int top = 0;   // (screen height - height) / 4
  int file_list_box_width = 120;
  int file_navigator_height = 160;
  bool file_save_reference_file_folder = false;
  bool file_save_reference_only_drive = false;
};

struct TImageViewBasicSettings {
  int left = 0;
  int top = 0;
  int width = 250;
  int height = 300;
  bool slide_all = false;
  bool slide_repeat = false;
  int slide_interval = 2000;
  bool image_center = false;
};

struct TPictureGridSettings {
  int width = 500;
  int height = 300;
  int right_panel_width = 108;
  int w_count = 3;
  bool seize_select = false;
  int size_height = 300;
  int size_width = 300;
  bool size_grid = false;
  bool show_repeat = false;
  bool get_picture = true;
  bool show_other_picture = false;
  bool show_all = true;
  bool show_real_size = true;
  bool show_reverse = false;
  int left = 0;  // (screen width - width) / 2 until the grid window hands its place back
  int top = 0;   // (screen height - height) / 4
};

struct TTextArrangeSettings {
  std::string text_font;
  std::string text_options;
  std::string base_data;
};

struct TFusionArrangeSettings {
  TColor back_color = kWhite;
  TColor ground_color = kWhite;
  int bright_rate = 100;
  int range_super_max = 255;
  int trans_position = 0;
  int any_tone_level = 4;
  int up_down_level = 2;
  bool over_range = false;
};

struct TPaletteSettings {
  bool palette_show = false;
};

// The ranges of the read-ahead settings (the settings dialog offers the same).
constexpr int kMaxReadAhead = 10;
constexpr int kMinReadAheadMegabytes = 16;
constexpr int kMaxReadAheadMegabytes = 65536;

// Settings Velmora has beyond the original program ([Extensions]).
struct TExtensionSettings {
  // Raises the working size limit from 5000 wide / 4,000,000 pixels to 20000 / 100,000,000.
  bool large_pictures = false;
  // PNG, GIF, TIFF and WebP pictures join the five kinds of the file lists.
  bool other_formats = false;
  // Neighbouring pictures prepared in advance, each way from the shown one (0: none), and the
  // memory they may take, in megabytes.
  int read_ahead = 1;
  int read_ahead_megabytes = 256;
  // JPEG thumbnails of the table decoded at a reduced scale: much quicker, a little less sharp.
  bool quick_thumbnails = false;
};

struct TMainSettings {
  TFormSettings form;
  TPanelSettings panel;
  TFileFilterSettings file_filter;
  TEffectSettings effect;
  TBaseSettings base;
  TPictureTableSettings picture_table;
  TPlayListViewerSettings play_list;
  TImageViewBasicSettings image_view;
  TPictureGridSettings picture_grid;
  TTextArrangeSettings text_arrange;
  TFusionArrangeSettings fusion;
  TPaletteSettings palette;
  TExtensionSettings extensions;
};

// What the defaults and clamps depend on.
struct TSettingsContext {
  int screen_width = 1024;
  int screen_height = 768;
  std::string program_folder;
};

enum class TSettingKind { Bool, Int, Color, Float, String, IntWrittenAsFloat };

struct TSettingDef {
  const char* section;
  const char* key;
  TSettingKind kind;
  void* (*field)(TMainSettings&);
};

// Every key in file order: sections in the order they are read and written.
const std::vector<TSettingDef>& SettingsSchema();

TMainSettings DefaultSettings(const TSettingsContext& context);
// Reads every key over the fields (a missing or unreadable key keeps the field's value). While
// Form/Maximized is true the four bounds keys are not read.
void ReadSettings(const TIniFile& ini, TMainSettings& settings);
// Applies the documented corrections after reading: Position outside 1..9 becomes 5, a
// KernelBound below 3 becomes 3, a SearchMoreDrive that names no drive is cleared, and the
// window bounds are clamped to the screen. Panel sizes are held between their minimums (left 80,
// right 101, data-file list 30) and the screen, the picture-area margins within 0..25, and the
// slide interval, zoom step and JPEG qualities within the settings dialog's ranges, and the
// read-ahead settings within theirs.
void NormalizeSettings(TMainSettings& settings, const TSettingsContext& context,
                       const PathText& paths);
void WriteSettings(const TMainSettings& settings, TIniFile& ini);

// The screen clamp of a stored window rectangle.
struct TFormBounds {
  int left, top, width, height;
};
TFormBounds ClampFormBounds(TFormBounds bounds, int screen_width, int screen_height);
// The main window at the very first start (no settings file yet): two thirds of the screen,
// centred.
TFormBounds FirstStartBounds(int screen_width, int screen_height);
// Top-left corner of a dialog placed a quarter down and centred across the screen.
void PlaceFormPosition(int width, int height, int screen_width, int screen_height, int& left,
                       int& top);
