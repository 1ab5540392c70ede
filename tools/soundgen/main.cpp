// Synthesises the game's four sounds and writes them as 16-bit PCM mono wave files:
//
//   石打音.wav  a stone set down on a wooden board: a short click and the board's ring
//   禁止.wav    a soft, low tone that falls a little: "not there"
//   その他.wav  a two-note chime
//   BGM.wav     a quiet, slow pentatonic piece over soft pads that loops seamlessly
//
// Usage: tolvan-soundgen DIR...   (writes all four into every DIR)
//
// The output is fully deterministic: noise comes from a fixed-seed generator and
// nothing depends on the clock, so rerunning it reproduces the committed files.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr double pi = 3.14159265358979323846;

struct Wave {
    int rate;
    std::vector<double> s;  // samples in -1..1
    Wave(int r, double seconds) : rate(r), s(static_cast<std::size_t>(std::lround(seconds * r)), 0.0) {}
    Wave(int r, std::size_t n) : rate(r), s(n, 0.0) {}
    double t(std::size_t i) const { return static_cast<double>(i) / rate; }
};

// A small fixed-seed generator, so that the noise is the same on every machine.
class Noise {
public:
    double next() {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<double>(state >> 11) / static_cast<double>(1ull << 53) * 2.0 - 1.0;
    }

private:
    std::uint64_t state = 0x746f6c76616eull;
};

double midiHz(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

// 0 -> 1 along half a cosine: a smooth edge with no corner at either end.
double smoothRise(double x) {
    x = std::clamp(x, 0.0, 1.0);
    return 0.5 - 0.5 * std::cos(pi * x);
}

// Scales the wave so that its largest sample has magnitude `peak`.
void normalise(Wave& w, double peak) {
    double m = 0;
    for (double v : w.s) m = std::max(m, std::fabs(v));
    if (m > 0)
        for (double& v : w.s) v *= peak / m;
}

// Smooth fades over the first and last `seconds`, so the file starts and ends at zero.
void fadeEnds(Wave& w, double in, double out) {
    const std::size_t n = w.s.size();
    const auto ni = static_cast<std::size_t>(in * w.rate);
    const auto no = static_cast<std::size_t>(out * w.rate);
    for (std::size_t i = 0; i < n; ++i) {
        double g = 1;
        if (ni > 0 && i < ni) g *= smoothRise(static_cast<double>(i) / ni);
        if (no > 0 && i + no >= n) g *= smoothRise(static_cast<double>(n - 1 - i) / no);
        w.s[i] *= g;
    }
}

// A two-pole resonator: rings at `hz` with its amplitude falling by e every `tau` seconds.
struct Resonator {
    double a1, a2, gain, y1 = 0, y2 = 0;
    Resonator(double hz, double tau, double g, int rate) : gain(g) {
        const double r = std::exp(-1.0 / (tau * rate));
        a1 = 2 * r * std::cos(2 * pi * hz / rate);
        a2 = -r * r;
    }
    double step(double x) {
        const double y = gain * x + a1 * y1 + a2 * y2;
        y2 = y1;
        y1 = y;
        return y;
    }
};

// The stone: a sharp burst of noise (the contact) that rings a few damped modes of the
// board and the stone. Bright high modes die fast; the low body mode gives the "tok".
Wave stoneClick() {
    Wave w(44100, 0.15);
    Noise noise;
    std::vector<Resonator> modes = {
        {620, 0.030, 0.55, w.rate},  {1150, 0.022, 0.9, w.rate}, {1920, 0.016, 1.0, w.rate},
        {2830, 0.010, 0.7, w.rate},  {4350, 0.006, 0.5, w.rate}, {6100, 0.003, 0.35, w.rate},
    };
    double prev = 0;
    for (std::size_t i = 0; i < w.s.size(); ++i) {
        const double t = w.t(i);
        const double burst = noise.next() * std::exp(-t / 0.0012);
        double body = 0;
        for (auto& m : modes) body += m.step(burst);
        // The contact itself: the burst differentiated, which keeps only its top end.
        const double click = (burst - prev) * 0.6;
        prev = burst;
        w.s[i] = body * 0.05 + click;
    }
    normalise(w, 0.85);
    // A fraction of a millisecond of fade-in keeps the onset sharp without a step from 0.
    fadeEnds(w, 0.0003, 0.03);
    return w;
}

// The refusal: a low, rounded tone that slides down a little and dies away.
Wave refusalTone() {
    Wave w(44100, 0.25);
    double phase = 0;
    for (std::size_t i = 0; i < w.s.size(); ++i) {
        const double t = w.t(i);
        const double hz = 165 + 45 * std::exp(-t / 0.06);  // 210 Hz falling towards 165
        phase += 2 * pi * hz / w.rate;
        const double env = smoothRise(t / 0.012) * std::exp(-t / 0.09);
        w.s[i] = env * (std::sin(phase) + 0.22 * std::sin(2 * phase) + 0.06 * std::sin(3 * phase));
    }
    normalise(w, 0.45);
    fadeEnds(w, 0.0, 0.04);
    return w;
}

// One struck bell-like note added into `w` from `start` seconds: a few partials, the
// upper ones fainter and quicker to fade.
void bellNote(Wave& w, double start, double hz, double level) {
    struct Partial { double ratio, amp, tau; };
    static const Partial partials[] = {
        {1.0, 1.0, 0.32}, {2.0, 0.28, 0.18}, {3.0, 0.07, 0.09}, {4.16, 0.05, 0.03}};
    const auto first = static_cast<std::size_t>(start * w.rate);
    for (std::size_t i = first; i < w.s.size(); ++i) {
        const double t = static_cast<double>(i - first) / w.rate;
        double v = 0;
        for (const auto& p : partials)
            v += p.amp * std::exp(-t / p.tau) * std::sin(2 * pi * hz * p.ratio * t);
        w.s[i] += level * smoothRise(t / 0.003) * v;
    }
}

// The chime: two notes a fifth apart, the second a moment after the first.
Wave chime() {
    Wave w(44100, 0.8);
    bellNote(w, 0.0, midiHz(76), 1.0);   // E5
    bellNote(w, 0.11, midiHz(83), 0.8);  // B5
    normalise(w, 0.5);
    fadeEnds(w, 0.0, 0.12);
    return w;
}

// ---- The music ----------------------------------------------------------------------
//
// Eight bars of 4/4 at 72 beats a minute in D major pentatonic (D E F# A B): a slow pad
// chord per bar, crossfading into the next, under a sparse melody with a soft echo. At
// 22050 Hz a beat is exactly 18375 samples, so the loop is a whole number of bars and
// the piece comes round on the beat. Every voice is silent at both ends: the first pad
// swells in from nothing and the last one has faded out exactly at the loop point, and
// the melody rests at the end of bar 8 while its echo dies away.

constexpr int music_rate = 22050;
constexpr std::size_t beat = 18375;  // 60 / 72 s
constexpr std::size_t bar = 4 * beat;
constexpr int bars = 8;

struct Note {
    double beat;   // from the start of the piece
    double beats;  // how long it is held
    int midi;
};

// A pad voice: two slightly detuned sines for a little movement, with smooth edges.
void padVoice(std::vector<double>& out, std::size_t from, std::size_t to, double hz,
              double level, double edge) {
    const double e = edge * music_rate;
    for (std::size_t i = from; i < to; ++i) {
        const double t = static_cast<double>(i - from) / music_rate;
        const double env = smoothRise((i - from) / e) * smoothRise((to - i) / e);
        const double v = std::sin(2 * pi * hz * 0.9985 * t) + std::sin(2 * pi * hz * 1.0015 * t + 1.3) +
                         0.12 * std::sin(2 * pi * hz * 2 * t);
        out[i] += level * env * v * 0.5;
    }
}

// A melody note: a soft mallet-like tone with a quick start, a gentle decay and a short
// release at its end.
void melodyNote(std::vector<double>& out, std::size_t from, std::size_t to, double hz,
                double level) {
    const std::size_t release = music_rate / 4;
    const std::size_t end = std::min(out.size(), to + release);
    for (std::size_t i = from; i < end; ++i) {
        const double t = static_cast<double>(i - from) / music_rate;
        double env = smoothRise(t / 0.015) * (0.35 + 0.65 * std::exp(-t / 0.35));
        if (i >= to) env *= 1 - smoothRise(static_cast<double>(i - to) / release);
        const double vib = 1 + 0.002 * std::sin(2 * pi * 5 * t) * smoothRise(t / 0.5);
        const double ph = 2 * pi * hz * vib * t;
        out[i] += level * env * (std::sin(ph) + 0.18 * std::sin(2 * ph) + 0.04 * std::sin(3 * ph));
    }
}

Wave music() {
    Wave w(music_rate, bar * bars);
    std::vector<double> pads(w.s.size(), 0.0), melody(w.s.size(), 0.0);

    // One chord a bar, bass first. Adjacent chords overlap by `overlap` either side of the
    // bar line and crossfade through their smooth edges.
    static const std::vector<std::vector<int>> chords = {
        {50, 57, 64, 66},  // D add9
        {47, 54, 57, 62},  // Bm7
        {43, 50, 54, 59},  // Gmaj7
        {45, 52, 59, 62},  // A sus
        {50, 57, 64, 66},  // D add9
        {40, 47, 54, 57},  // Em9 (no third)
        {43, 50, 54, 59},  // Gmaj7
        {45, 52, 57, 62},  // A sus4, leaning back to D
    };
    const double overlap = 0.6, edge = 1.2;
    const auto ov = static_cast<std::size_t>(overlap * music_rate);
    for (int b = 0; b < bars; ++b) {
        const std::size_t from = b == 0 ? 0 : b * bar - ov;
        const std::size_t to = b == bars - 1 ? w.s.size() : (b + 1) * bar + ov;
        for (std::size_t k = 0; k < chords[b].size(); ++k)
            padVoice(pads, from, to, midiHz(chords[b][k]), k == 0 ? 0.05 : 0.035, edge);
    }

    // The melody, in beats from the start: phrases of two bars with rests between.
    static const std::vector<Note> tune = {
        {0, 1.5, 69},    {1.5, 0.5, 71},  {2, 2, 74},                       // bar 1
        {4, 1, 71},      {5, 1, 69},      {6, 1.75, 66},                    // bar 2
        {8, 1.5, 69},    {9.5, 0.5, 66},  {10, 1, 64},     {11, 1, 66},     // bar 3
        {12, 2.5, 64},                                                      // bar 4
        {16, 1, 74},     {17, 1, 76},     {18, 1.5, 78},   {19.5, 0.5, 76}, // bar 5
        {20, 2, 74},     {22, 1, 71},     {23, 1, 69},                      // bar 6
        {24, 1.5, 71},   {25.5, 0.5, 69}, {26, 2, 66},                      // bar 7
        {28, 1, 64},     {29, 1.25, 62},                                    // bar 8
    };
    for (const Note& n : tune) {
        const auto from = static_cast<std::size_t>(n.beat * beat);
        const auto to = static_cast<std::size_t>((n.beat + n.beats) * beat);
        melodyNote(melody, from, to, midiHz(n.midi), 0.16);
    }
    // A soft echo of the melody, a dotted eighth later.
    const std::size_t delay = beat * 3 / 4;
    for (std::size_t i = w.s.size(); i-- > delay;) melody[i] += 0.28 * melody[i - delay];

    for (std::size_t i = 0; i < w.s.size(); ++i) w.s[i] = pads[i] + melody[i];
    normalise(w, 0.35);
    // Belt and braces for the loop point: the voices are already silent there.
    fadeEnds(w, 0.01, 0.01);
    return w;
}

// ---- Output ------------------------------------------------------------------------

void put16(std::string& b, unsigned v) {
    b += static_cast<char>(v & 0xff);
    b += static_cast<char>((v >> 8) & 0xff);
}
void put32(std::string& b, std::uint32_t v) {
    put16(b, v & 0xffff);
    put16(b, v >> 16);
}

// A canonical 44-byte-header RIFF WAVE file: PCM, 16-bit, mono.
std::string waveFile(const Wave& w) {
    const auto data = static_cast<std::uint32_t>(w.s.size() * 2);
    std::string b;
    b += "RIFF";
    put32(b, 36 + data);
    b += "WAVEfmt ";
    put32(b, 16);
    put16(b, 1);  // PCM
    put16(b, 1);  // mono
    put32(b, static_cast<std::uint32_t>(w.rate));
    put32(b, static_cast<std::uint32_t>(w.rate) * 2);
    put16(b, 2);
    put16(b, 16);
    b += "data";
    put32(b, data);
    for (double v : w.s) {
        const long q = std::lround(std::clamp(v, -1.0, 1.0) * 32767.0);
        put16(b, static_cast<unsigned>(static_cast<std::int16_t>(q)) & 0xffff);
    }
    return b;
}

bool write(const std::filesystem::path& dir, const char* name, const Wave& w) {
    const std::filesystem::path path = dir / name;
    std::ofstream out(path, std::ios::binary);
    const std::string bytes = waveFile(w);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "tolvan-soundgen: cannot write %s\n", path.string().c_str());
        return false;
    }
    std::printf("%s: %.3f s, %zu bytes\n", path.string().c_str(),
                static_cast<double>(w.s.size()) / w.rate, bytes.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: tolvan-soundgen DIR...\n");
        return 2;
    }
    const Wave stone = stoneClick(), refusal = refusalTone(), other = chime(), bgm = music();
    bool ok = true;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path dir = argv[i];
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        ok = write(dir, "石打音.wav", stone) && ok;
        ok = write(dir, "禁止.wav", refusal) && ok;
        ok = write(dir, "その他.wav", other) && ok;
        ok = write(dir, "BGM.wav", bgm) && ok;
    }
    return ok ? 0 : 1;
}
