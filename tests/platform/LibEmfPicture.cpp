#include "tests/platform/LibEmfPicture.h"

#include <dlfcn.h>
#include <libEMF/emf.h>

namespace {

template <typename F>
bool Load(void* lib, const char* name, F& f) {
  f = reinterpret_cast<F>(dlsym(lib, name));
  return f != nullptr;
}

}  // namespace

bool WriteLibEmfPicture(const std::string& path, std::string& why) {
  void* lib = dlopen("libEMF.so.1", RTLD_NOW | RTLD_LOCAL);
  if (!lib) {
    why = "libEMF is not installed";
    return false;
  }
  decltype(&CreateEnhMetaFileA) create;
  decltype(&CloseEnhMetaFile) close;
  decltype(&DeleteEnhMetaFile) remove;
  decltype(&SetMapMode) map_mode;
  decltype(&SetWindowExtEx) window_ext;
  decltype(&SetViewportExtEx) viewport_ext;
  decltype(&CreatePen) pen;
  decltype(&CreateSolidBrush) brush;
  decltype(&SelectObject) select;
  decltype(&Rectangle) rectangle;
  decltype(&MoveToEx) move_to;
  decltype(&LineTo) line_to;
  decltype(&Ellipse) ellipse;
  decltype(&Polygon) polygon;
  decltype(&CreateFontA) font;
  decltype(&SetTextColor) text_color;
  decltype(&SetBkMode) bk_mode;
  decltype(&TextOutA) text_out;
  const bool all = Load(lib, "CreateEnhMetaFileA", create) &&
                   Load(lib, "CloseEnhMetaFile", close) && Load(lib, "DeleteEnhMetaFile", remove) &&
                   Load(lib, "SetMapMode", map_mode) && Load(lib, "SetWindowExtEx", window_ext) &&
                   Load(lib, "SetViewportExtEx", viewport_ext) && Load(lib, "CreatePen", pen) &&
                   Load(lib, "CreateSolidBrush", brush) && Load(lib, "SelectObject", select) &&
                   Load(lib, "Rectangle", rectangle) && Load(lib, "MoveToEx", move_to) &&
                   Load(lib, "LineTo", line_to) && Load(lib, "Ellipse", ellipse) &&
                   Load(lib, "Polygon", polygon) && Load(lib, "CreateFontA", font) &&
                   Load(lib, "SetTextColor", text_color) && Load(lib, "SetBkMode", bk_mode) &&
                   Load(lib, "TextOutA", text_out);
  if (!all) {
    why = "libEMF lacks a function";
    dlclose(lib);
    return false;
  }
  RECT frame = {0, 0, 10000, 7500};
  HDC dc = create(0, path.c_str(), &frame, "velmora test\0\0");
  if (!dc) {
    why = "libEMF cannot create " + path;
    dlclose(lib);
    return false;
  }
  map_mode(dc, MM_ANISOTROPIC);
  window_ext(dc, 400, 300, nullptr);
  viewport_ext(dc, 320, 240, nullptr);  // libEMF's reference device: 1024 pixels on 320 mm
  select(dc, pen(PS_SOLID, 1, RGB(255, 0, 0)));
  select(dc, brush(RGB(255, 0, 0)));
  rectangle(dc, 20, 20, 120, 80);
  select(dc, pen(PS_SOLID, 0, RGB(0, 0, 255)));
  move_to(dc, 10, 150, nullptr);
  line_to(dc, 390, 150);
  select(dc, brush(RGB(0, 255, 0)));
  ellipse(dc, 200, 20, 300, 100);
  POINT triangle[3] = {{300, 200}, {380, 200}, {340, 280}};
  polygon(dc, triangle, 3);
  select(dc, font(40, 0, 0, 0, 700, 0, 0, 0, 0, 0, 0, 0, 0, "DejaVu Sans"));
  text_color(dc, RGB(0, 0, 0));
  bk_mode(dc, TRANSPARENT);
  text_out(dc, 20, 200, "Hello", 5);
  remove(close(dc));
  dlclose(lib);
  return true;
}
