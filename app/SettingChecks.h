#pragma once

#include <string>
#include <vector>

// The numeric boxes of the settings dialog: their offered items, how a value is shown, and the
// check made when a box is left. Plain functions so that the rules are tested without a window.
enum class TNumberBox {
  kPanelLeft,
  kPanelTop,
  kSlideInterval,
  kZoomStep,
  kRealZoomControl,
  kJpegQuality,
  kKernelSize,
  kCenterPercent,
  kStrength,
};

// A value as its box shows it ("    05", "    02000", "        25", "      1.25", " 090").
std::string NumberBoxText(TNumberBox box, double value);
// The items the box offers.
std::vector<std::string> NumberBoxItems(TNumberBox box);
// Reads a box's text: true with the value when it is acceptable, false with the box's message.
bool CheckNumberBox(TNumberBox box, const std::string& text, double& value, std::string& message);
