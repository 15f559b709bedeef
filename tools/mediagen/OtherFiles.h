// Files that are not what a reader expects: an Ogg file whose only stream is neither
// Vorbis nor Theora, and a plain file that is not Ogg at all.
#pragma once

#include <string>

namespace mediagen {

// A valid Ogg file with one logical stream of opaque data packets.
bool writeOggWithUnknownStream(const std::string &path);

// A file holding exactly the given bytes.
bool writeBytes(const std::string &path, const std::string &bytes);

} // namespace mediagen
