#include "tests/platform/LibEmfPicture.h"

#include <dlfcn.h>
#include <libEMF/emf.h>

namespace {

// The library's calls the tests use.
struct TLibEmf {
  decltype(&CreateEnhMetaFileA) create;
  decltype(&CloseEnhMetaFile) close;
  decltype(&DeleteEnhMetaFile) remove;
  decltype(&SetMapMode) map_mode;
  decltype(&SetWindowOrgEx) window_org;
  decltype(&SetWindowExtEx) window_ext;
  decltype(&SetViewportOrgEx) viewport_org;
  decltype(&SetViewportExtEx) viewport_ext;
  decltype(&SetWorldTransform) world;
  decltype(&CreatePen) pen;
  decltype(&CreateSolidBrush) brush;
  decltype(&SelectObject) select;
  decltype(&GetStockObject) stock;
  decltype(&Rectangle) rectangle;
  decltype(&MoveToEx) move_to;
  decltype(&LineTo) line_to;
  decltype(&Ellipse) ellipse;
  decltype(&Polygon) polygon;
  decltype(&CreateFontA) font;
  decltype(&SetTextColor) text_color;
  decltype(&SetBkMode) bk_mode;
  decltype(&TextOutA) text_out;
};

template <typename F>
bool Load(void* lib, const char* name, F& f) {
  f = reinterpret_cast<F>(dlsym(lib, name));
  return f != nullptr;
}

bool LoadLibEmf(TLibEmf& e, std::string& why) {
  static void* lib = dlopen("libEMF.so.1", RTLD_NOW | RTLD_LOCAL);
  if (!lib) {
    why = "libEMF is not installed";
    return false;
  }
  const bool all =
      Load(lib, "CreateEnhMetaFileA", e.create) && Load(lib, "CloseEnhMetaFile", e.close) &&
      Load(lib, "DeleteEnhMetaFile", e.remove) && Load(lib, "SetMapMode", e.map_mode) &&
      Load(lib, "SetWindowOrgEx", e.window_org) && Load(lib, "SetWindowExtEx", e.window_ext) &&
      Load(lib, "SetViewportOrgEx", e.viewport_org) &&
      Load(lib, "SetViewportExtEx", e.viewport_ext) && Load(lib, "SetWorldTransform", e.world) &&
      Load(lib, "CreatePen", e.pen) && Load(lib, "CreateSolidBrush", e.brush) &&
      Load(lib, "SelectObject", e.select) && Load(lib, "Rectangle", e.rectangle) &&
      Load(lib, "MoveToEx", e.move_to) && Load(lib, "LineTo", e.line_to) &&
      Load(lib, "Ellipse", e.ellipse) && Load(lib, "Polygon", e.polygon) &&
      Load(lib, "GetStockObject", e.stock) && Load(lib, "CreateFontA", e.font) &&
      Load(lib, "SetTextColor", e.text_color) && Load(lib, "SetBkMode", e.bk_mode) &&
      Load(lib, "TextOutA", e.text_out);
  if (!all) {
    why = "libEMF lacks a function";
    return false;
  }
  return true;
}

}  // namespace

bool WriteLibEmfPicture(const std::string& path, std::string& why) {
  TLibEmf e;
  if (!LoadLibEmf(e, why)) return false;
  RECT frame = {0, 0, 10000, 7500};
  HDC dc = e.create(0, path.c_str(), &frame, "velmora test\0\0");
  if (!dc) {
    why = "libEMF cannot create " + path;
    return false;
  }
  e.map_mode(dc, MM_ANISOTROPIC);
  e.window_ext(dc, 400, 300, nullptr);
  e.viewport_ext(dc, 320, 240, nullptr);  // libEMF's reference device: 1024 pixels on 320 mm
  e.select(dc, e.pen(PS_SOLID, 1, RGB(255, 0, 0)));
  e.select(dc, e.brush(RGB(255, 0, 0)));
  e.rectangle(dc, 20, 20, 120, 80);
  e.select(dc, e.pen(PS_SOLID, 0, RGB(0, 0, 255)));
  e.move_to(dc, 10, 150, nullptr);
  e.line_to(dc, 390, 150);
  e.select(dc, e.brush(RGB(0, 255, 0)));
  e.ellipse(dc, 200, 20, 300, 100);
  POINT triangle[3] = {{300, 200}, {380, 200}, {340, 280}};
  e.polygon(dc, triangle, 3);
  e.select(dc, e.font(40, 0, 0, 0, 700, 0, 0, 0, 0, 0, 0, 0, 0, "DejaVu Sans"));
  e.text_color(dc, RGB(0, 0, 0));
  e.bk_mode(dc, TRANSPARENT);
  e.text_out(dc, 20, 200, "Hello", 5);
  e.remove(e.close(dc));
  return true;
}

bool WriteLibEmfMappedSquare(const std::string& path, const TLibEmfMapping& m, int x, int y,
                             int size, std::string& why) {
  TLibEmf e;
  if (!LoadLibEmf(e, why)) return false;
  RECT frame = {m.frame[0], m.frame[1], m.frame[2], m.frame[3]};
  HDC dc = e.create(0, path.c_str(), &frame, nullptr);
  if (!dc) {
    why = "libEMF cannot create " + path;
    return false;
  }
  e.map_mode(dc, m.map_mode);
  e.window_org(dc, m.window_org[0], m.window_org[1], nullptr);
  e.window_ext(dc, m.window_ext[0], m.window_ext[1], nullptr);
  e.viewport_org(dc, m.viewport_org[0], m.viewport_org[1], nullptr);
  e.viewport_ext(dc, m.viewport_ext[0], m.viewport_ext[1], nullptr);
  const XFORM world = {m.world[0], m.world[1], m.world[2], m.world[3], m.world[4], m.world[5]};
  e.world(dc, &world);
  e.select(dc, e.stock(NULL_PEN));
  e.select(dc, e.brush(RGB(255, 0, 0)));
  POINT square[4] = {{x, y}, {x + size, y}, {x + size, y + size}, {x, y + size}};
  e.polygon(dc, square, 4);
  e.remove(e.close(dc));
  return true;
}
