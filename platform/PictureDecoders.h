#pragma once

#include <string>

#include "engine/PictureLoader.h"

// The decoders of the platform layer: icons (.ico), metafiles (.wmf, .emf) and the other formats
// Qt reads (.png, .gif, .tif, .tiff, .webp). They draw with
// Qt, so a QGuiApplication must exist while they are used (the program and the command line
// create one; tests and fuzz targets run it on the offscreen platform).

// Registers the decoders for every extension above with the loader. The decoders live for the
// whole run, so the loader may keep them.
void AddPlatformDecoders(TPictureLoader& loader);

// The platform decoder for a lower-case extension with its dot, or nullptr.
const TPictureDecoder* PlatformDecoderFor(const std::string& ext);
