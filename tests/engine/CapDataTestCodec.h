#pragma once

#include <string>

#include "engine/CaptureBasics.h"

// The path field rule of this platform, written out independently of the platform layer: "\" as
// "(@BSL)", then "/" as "\"; reading reverses it.
class TTestPathCodec : public TRecordPathCodec {
 public:
  std::string EncodeRecordPath(const std::string& native) const override {
    std::string out;
    for (const char c : native) {
      if (c == '\\')
        out += "(@BSL)";
      else
        out += c == '/' ? '\\' : c;
    }
    return out;
  }
  std::string DecodeRecordPath(const std::string& field) const override {
    std::string slashed = field;
    for (char& c : slashed)
      if (c == '\\') c = '/';
    std::string out;
    for (std::size_t i = 0; i < slashed.size();) {
      if (slashed.compare(i, 6, "(@BSL)") == 0) {
        out += '\\';
        i += 6;
      } else {
        out += slashed[i++];
      }
    }
    return out;
  }
};
