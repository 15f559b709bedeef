#include "Melody.h"

#include <cmath>

namespace sample {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kNoteSeconds = 0.25;

// Semitones above A3 (220 Hz): a C major arpeggio up and down, then an F major one.
constexpr int kMelody[] = {3, 7, 10, 15, 14, 10, 7, 5, 3, 8, 12, 15, 12, 8, 7, 3};
// One bass note per half bar (C2, F2, D2, G2), below the tune.
constexpr int kBass[] = {-21, -16, -19, -14};
constexpr int kMelodyNotes = sizeof(kMelody) / sizeof(kMelody[0]);
constexpr int kBassNotes = sizeof(kBass) / sizeof(kBass[0]);

double frequencyOf(int semitones) {
    return 220.0 * std::pow(2.0, semitones / 12.0);
}

// A plucked note: a short attack (no click) and an exponential decay.
double pluck(double secondsIntoNote, double frequency) {
    const double attack = std::min(1.0, secondsIntoNote / 0.005);
    const double decay = std::exp(-secondsIntoNote * 6.0);
    const double tone = std::sin(2.0 * kPi * frequency * secondsIntoNote) +
                        0.3 * std::sin(4.0 * kPi * frequency * secondsIntoNote);
    return attack * decay * tone;
}

} // namespace

void melodyFrame(int64_t frame, long rate, float &left, float &right) {
    const double t = static_cast<double>(frame) / static_cast<double>(rate);
    const int64_t note = static_cast<int64_t>(t / kNoteSeconds);
    const double inNote = t - static_cast<double>(note) * kNoteSeconds;
    const double melody = pluck(inNote, frequencyOf(kMelody[note % kMelodyNotes]));

    const double bassSeconds = kNoteSeconds * kMelodyNotes / kBassNotes;
    const int64_t bassNote = static_cast<int64_t>(t / bassSeconds);
    const double inBass = t - static_cast<double>(bassNote) * bassSeconds;
    const double bass = pluck(inBass, frequencyOf(kBass[bassNote % kBassNotes]));

    left = static_cast<float>(0.30 * melody + 0.10 * bass);
    right = static_cast<float>(0.12 * melody + 0.25 * bass);
}

} // namespace sample
