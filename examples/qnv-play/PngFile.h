// Writes an Image as an 8-bit RGB PNG with libpng (alpha dropped: the video texture's alpha
// carries nothing worth keeping).
#pragma once

#include <string>

#include "Image.h"

// False when the file cannot be written or libpng reports an error.
bool writePng(const std::string &path, const Image &image);
