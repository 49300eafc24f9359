// Writes the alarm sound: a RIFF WAVE file, PCM, 2 channels, 44100 Hz, 16 bits,
// with exactly 3,073,536 bytes of samples (about 17.4 seconds). The sound is a
// soft chime: the four-note Westminster phrase on bell-like tones, twice per
// bar, growing from quiet to full volume so that it wakes without startling.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr int kChannels = 2;
constexpr std::uint32_t kDataBytes = 3073536;
constexpr int kFrames = kDataBytes / (kChannels * 2);
constexpr double kPi = 3.14159265358979323846;

void Put16(std::vector<unsigned char>& out, unsigned v) {
    out.push_back(v & 0xFF);
    out.push_back((v >> 8) & 0xFF);
}
void Put32(std::vector<unsigned char>& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// A bell tone: a few inharmonic partials with their own decay.
double Bell(double t, double freq) {
    if (t < 0)
        return 0;
    const double attack = std::min(1.0, t / 0.004);
    static const double kPartials[][3] = {{1.0, 1.0, 1.6}, {2.0, 0.45, 2.6}, {2.76, 0.25, 3.5}, {5.4, 0.08, 6.0}};
    double v = 0;
    for (const auto& p : kPartials)
        v += p[1] * std::exp(-p[2] * t) * std::sin(2 * kPi * freq * p[0] * t);
    return attack * v;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: makering OUT.wav\n");
        return 2;
    }
    // E5 C5 D5 G4, then G4 D5 E5 C5: two phrases of four notes, 0.55 s apart.
    const double kNotes[8] = {659.25, 523.25, 587.33, 392.00, 392.00, 587.33, 659.25, 523.25};
    const double kNoteGap = 0.55, kPhrase = 4 * kNoteGap + 0.6;

    std::vector<double> left(kFrames), right(kFrames);
    const double length = static_cast<double>(kFrames) / kRate;
    for (double start = 0; start < length; start += kPhrase) {
        const int phrase = static_cast<int>(start / kPhrase + 0.5);
        for (int n = 0; n < 4; ++n) {
            const double freq = kNotes[(phrase % 2) * 4 + n];
            const double onset = start + n * kNoteGap;
            const int first = static_cast<int>(onset * kRate);
            const int last = std::min(kFrames, first + static_cast<int>(2.5 * kRate));
            for (int i = first; i < last; ++i) {
                const double t = static_cast<double>(i - first) / kRate;
                // A small delay on the right channel widens the chime.
                left[i] += Bell(t, freq);
                right[i] += Bell(t - 0.0007, freq);
            }
        }
    }
    std::vector<unsigned char> out;
    out.reserve(44 + kDataBytes);
    for (char c : {'R', 'I', 'F', 'F'})
        out.push_back(c);
    Put32(out, 36 + kDataBytes);
    for (char c : {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '})
        out.push_back(c);
    Put32(out, 16);
    Put16(out, 1); // PCM
    Put16(out, kChannels);
    Put32(out, kRate);
    Put32(out, kRate * kChannels * 2);
    Put16(out, kChannels * 2);
    Put16(out, 16);
    for (char c : {'d', 'a', 't', 'a'})
        out.push_back(c);
    Put32(out, kDataBytes);
    for (int i = 0; i < kFrames; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double swell = 0.35 + 0.65 * std::min(1.0, t / 8.0); // quiet start, full after 8 s
        const double fadeOut = std::min(1.0, (length - t) / 0.05); // no click at the end
        for (double v : {left[i], right[i]}) {
            const double s = std::tanh(0.5 * v) * swell * fadeOut * 0.8;
            Put16(out, static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(s * 32767))));
        }
    }
    std::FILE* f = std::fopen(argv[1], "wb");
    if (!f || std::fwrite(out.data(), 1, out.size(), f) != out.size() || std::fclose(f) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
