// The test media generator: writes Ogg media with the codecs' own encoders, for tests
// (in-process) and for the qnv-mediagen command.
//
//   VorbisWriter.h   Ogg Vorbis files, plain or chained, one tone per channel
//   OtherFiles.h     files of the wrong kind (unknown Ogg stream, non-Ogg bytes)
//   VorbisEncoder.h  the Vorbis encoder behind a single Ogg stream, for muxers
//   OggOutput.h      Ogg page output shared by every writer
//   TheoraWriter.h   Ogg Theora files (frames that show their number), with muxed audio
#pragma once

#include "OggOutput.h"
#include "OtherFiles.h"
#include "TheoraWriter.h"
#include "ToneSignal.h"
#include "VorbisEncoder.h"
#include "VorbisWriter.h"
