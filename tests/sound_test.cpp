// Sound: Module1's loading and warnings on the fake port, and the real sound library,
// loaded as the program loads it and played into SDL's disk audio driver, whose output
// file the tests read back.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "fake_platform.h"
#include "hostile_files.h"
#include "platform/deferred_sound.h"
#include "game/sound/refusals.h"

namespace tolvan::testing {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

void put16(Bytes& b, unsigned v) {
    b.push_back(v & 0xff);
    b.push_back((v >> 8) & 0xff);
}
void put32(Bytes& b, std::uint32_t v) {
    put16(b, v & 0xffff);
    put16(b, v >> 16);
}

// A 16-bit PCM RIFF WAVE file holding the samples (interleaved when stereo).
Bytes waveFile(const std::vector<std::int16_t>& samples, int channels = 1, int rate = 22050) {
    const auto data = static_cast<std::uint32_t>(samples.size() * 2);
    Bytes b;
    for (char c : std::string("RIFF")) b.push_back(c);
    put32(b, 36 + data);
    for (char c : std::string("WAVEfmt ")) b.push_back(c);
    put32(b, 16);
    put16(b, 1);
    put16(b, channels);
    put32(b, rate);
    put32(b, rate * channels * 2);
    put16(b, channels * 2);
    put16(b, 16);
    for (char c : std::string("data")) b.push_back(c);
    put32(b, data);
    for (auto s : samples) put16(b, static_cast<std::uint16_t>(s));
    return b;
}

Bytes bytesOf(const std::string& s) { return Bytes(s.begin(), s.end()); }

// ---- Module1 on the fake port -----------------------------------------------------

const char* const no_device_warning = "msg [Tolvan.dll] Direct Soundインターフェースが作成できません。 (!)";

// A game whose current directory is a fresh temporary directory holding the sound files
// a test puts there.
struct SoundModule : ::testing::Test {
    Fixture f;
    Tolvan& g = *f.game;
    GameState& s = f.s;
    fs::path old_dir = fs::current_path();
    fs::path dir;

    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("tolvan_sound_module_" + std::to_string(getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        fs::current_path(dir);
    }
    void TearDown() override {
        fs::current_path(old_dir);
        fs::remove_all(dir);
    }
    void put(const std::string& name, const Bytes& bytes) {
        std::ofstream(dir / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    Bytes sample(int n) {
        std::vector<std::int16_t> v;
        for (int i = 0; i < n; ++i) v.push_back(static_cast<std::int16_t>(i * 37 - 500));
        return waveFile(v);
    }
    void putAllFour() {
        put("その他.wav", sample(10));
        put("禁止.wav", sample(20));
        put("石打音.wav", sample(30));
        put("BGM.wav", sample(40));
    }
};

// What the library was handed by each dsCreateDSB: the wave image, as long as its header
// says, copied during the call.
std::vector<Bytes> handed;

std::int32_t recordingCreate(std::int32_t d, const void* w, std::int32_t flags) {
    const auto* p = static_cast<const unsigned char*>(w);
    const std::uint32_t size = (p[4] | p[5] << 8 | p[6] << 16 | std::uint32_t(p[7]) << 24) + 8;
    handed.emplace_back(p, p + size);
    FakePlatform::current->log.push_back("dsCreateDSB " + std::to_string(d) + " " +
                                         std::to_string(flags));
    return ++FakePlatform::current->next_sound;
}

TEST_F(SoundModule, NoDeviceWarnsOnceAndLeavesEveryHandleZero) {
    putAllFour();
    f.fake.device_result = 0;
    g.Form_Load();
    EXPECT_EQ(f.fake.lines("msg"), std::vector<std::string>{no_device_warning});
    EXPECT_TRUE(f.fake.lines("dsCreateDSB").empty());
    EXPECT_EQ(s.sound_device, 0);
    EXPECT_EQ(s.sound_other, 0);
    EXPECT_EQ(s.sound_forbidden, 0);
    EXPECT_EQ(s.sound_stone, 0);
    EXPECT_EQ(s.sound_bgm, 0);

    // Shutdown still frees the (zero) handles but does not terminate a device it never had.
    f.fake.clear();
    g.KeyDown(27);
    EXPECT_EQ(f.fake.lines("ds"),
              (std::vector<std::string>{"dsFree 0", "dsFree 0", "dsFree 0", "dsFree 0"}));
}

TEST_F(SoundModule, WithoutTheLibraryItIsAsWithoutADevice) {
    putAllFour();
    f.fake.sound = SoundLibrary{};
    g.Form_Load();
    EXPECT_EQ(f.fake.lines("msg"), std::vector<std::string>{no_device_warning});
    EXPECT_EQ(s.sound_device, 0);
    EXPECT_EQ(s.sound_other + s.sound_forbidden + s.sound_stone + s.sound_bgm, 0);
    g.KeyDown(27);
    EXPECT_TRUE(f.fake.program_ended);
}

TEST_F(SoundModule, StartUpLoadsTheFourFilesWholeInOrderAndShutdownFreesThem) {
    putAllFour();
    f.fake.device_result = 7;
    f.fake.sound.dsCreateDSB = recordingCreate;
    handed.clear();
    g.Form_Load();

    EXPECT_TRUE(f.fake.lines("msg").empty()) << f.fake.dump();
    EXPECT_EQ(f.fake.lines("ds"),
              (std::vector<std::string>{"dsInitialize 4242", "dsCreateDSB 7 3", "dsCreateDSB 7 3",
                                        "dsCreateDSB 7 3", "dsCreateDSB 7 1"}));
    ASSERT_EQ(handed.size(), 4u);
    EXPECT_EQ(handed[0], sample(10));
    EXPECT_EQ(handed[1], sample(20));
    EXPECT_EQ(handed[2], sample(30));
    EXPECT_EQ(handed[3], sample(40));
    EXPECT_EQ(s.sound_device, 7);
    EXPECT_EQ(s.sound_other, 101);
    EXPECT_EQ(s.sound_forbidden, 102);
    EXPECT_EQ(s.sound_stone, 103);
    EXPECT_EQ(s.sound_bgm, 104);

    f.fake.clear();
    g.KeyDown(27);
    EXPECT_EQ(f.fake.lines("ds"), (std::vector<std::string>{"dsFree 101", "dsFree 102", "dsFree 103",
                                                            "dsFree 104", "dsTerminate 7"}));
}

TEST_F(SoundModule, WithoutTheRefusalSoundEveryRefusalIsSilent) {
    put("その他.wav", sample(10));
    put("石打音.wav", sample(30));
    put("BGM.wav", sample(40));
    f.fake.device_result = 7;
    g.Form_Load();
    EXPECT_TRUE(f.fake.lines("msg").empty()) << f.fake.dump();  // a missing file is no fault
    EXPECT_EQ(s.sound_other, 101);
    EXPECT_EQ(s.sound_forbidden, 0);
    EXPECT_EQ(s.sound_stone, 102);
    EXPECT_EQ(s.sound_bgm, 103);

    f.fake.clear();
    g.MouseDown(pressX(4), pressY(4));  // no game yet
    g.TAIMAN_Click();
    g.MouseDown(pressX(4), pressY(4));
    g.MouseDown(pressX(4), pressY(4));  // occupied
    g.MenuClick("SUSUMU");              // nothing to step forward to
    EXPECT_EQ(f.fake.lines("dsPlay"),
              (std::vector<std::string>{"dsPlay 0", "dsPlay 102", "dsPlay 0", "dsPlay 0"}));
    EXPECT_EQ(s.board[4][4], stone_black);
}

// Files that are there but cannot be used: a warning that names the file, and handle 0;
// the library never sees them.
TEST_F(SoundModule, UnusableFilesWarnAndGiveZero) {
    const Bytes good = sample(100);
    Bytes truncated(good.begin(), good.end() - 1);
    Bytes riffNotWave = good;
    std::copy_n("AVI ", 4, riffNotWave.begin() + 8);
    const std::vector<std::pair<std::string, Bytes>> cases = {
        {"empty", {}},
        {"truncated by one byte", truncated},
        {"header only", Bytes(good.begin(), good.begin() + 44)},
        {"shorter than a header", Bytes(good.begin(), good.begin() + 10)},
        {"text", bytesOf("this is not a sound\n")},
        {"RIFF but not WAVE", riffNotWave},
    };
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        put("石打音.wav", bytes);
        f.fake.device_result = 7;
        g.サウンド初期設定(1);
        f.fake.clear();
        EXPECT_EQ(g.読込_サウンド("石打音.wav", 3), 0);
        const auto msgs = f.fake.lines("msg");
        ASSERT_EQ(msgs.size(), 1u) << f.fake.dump();
        EXPECT_EQ(msgs[0].rfind("msg [Tolvan.dll] 「石打音.wav」", 0), 0u) << msgs[0];
        EXPECT_NE(msgs[0].find("(!)"), std::string::npos);
        EXPECT_TRUE(f.fake.lines("dsCreateDSB").empty());
    }

    // Bytes beyond the declared size do no harm: the wave is all there.
    Bytes trailing = good;
    trailing.insert(trailing.end(), {'L', 'I', 'S', 'T'});
    put("石打音.wav", trailing);
    f.fake.clear();
    EXPECT_NE(g.読込_サウンド("石打音.wav", 3), 0);
    EXPECT_TRUE(f.fake.lines("msg").empty());
}

// Something other than an ordinary sound file of at most 32 MiB warns like a bad wave,
// at once, and gives 0: the start-up neither aborts, nor waits on a pipe, nor reads a
// device. A missing file is silent as ever.
TEST_F(SoundModule, APathThatIsNotASoundFileWarnsAndGivesZero) {
    const HostilePaths paths(32u << 20);
    const std::string why[] = {"はフォルダです。", "は通常のファイルではありません。",
                               "は通常のファイルではありません。", "は大きすぎます（32 MiBまでです）。", ""};
    f.fake.device_result = 7;
    g.サウンド初期設定(1);
    for (int k = 0; k < hostile_kinds; ++k) {
        SCOPED_TRACE(hostile_names[k]);
        f.fake.clear();
        EXPECT_EQ(g.読込_サウンド(paths[k], 3), 0);
        const std::vector<std::string> warned = {"msg [Tolvan.dll] 「" + paths[k] + "」" + why[k] + " (!)"};
        EXPECT_EQ(f.fake.lines("msg"), k == missing ? std::vector<std::string>{} : warned);
        EXPECT_TRUE(f.fake.lines("dsCreateDSB").empty());
    }
}

TEST_F(SoundModule, AWaveTheLibraryCannotUseWarnsAndGivesZero) {
    put("その他.wav", sample(10));
    f.fake.device_result = 7;
    f.fake.sound.dsCreateDSB = [](std::int32_t, const void*, std::int32_t) -> std::int32_t { return 0; };
    g.サウンド初期設定(1);
    EXPECT_EQ(g.読込_サウンド("その他.wav", 3), 0);
    ASSERT_EQ(f.fake.lines("msg").size(), 1u);
    EXPECT_NE(f.fake.lines("msg")[0].find("「その他.wav」"), std::string::npos);
}

// ---- The stand-in while the library is loaded -------------------------------------

// Everything the game asks before the library comes reaches it afterwards, in order and
// with the library's handles: the music asked for by the settings is not lost, and the
// waves it gets are the files' although the game's buffers are long gone.
TEST_F(SoundModule, TheStandInHandsTheLibraryWhatWasAskedBeforeItCame) {
    putAllFour();
    f.fake.device_result = 7;
    f.fake.sound.dsCreateDSB = recordingCreate;
    handed.clear();
    const SoundLibrary library = f.fake.sound;
    DeferredSound standIn;
    f.fake.sound = DeferredSound::table();
    g.Form_Load();
    g.BGM_Click();
    EXPECT_TRUE(f.fake.lines("ds").empty()) << f.fake.dump();

    const DeferredSound::Refused refused = standIn.arrive(library);
    EXPECT_FALSE(refused.device);
    EXPECT_TRUE(refused.sounds.empty());
    EXPECT_EQ(f.fake.lines("ds"),
              (std::vector<std::string>{"dsInitialize 4242", "dsCreateDSB 7 3", "dsCreateDSB 7 3",
                                        "dsCreateDSB 7 3", "dsCreateDSB 7 1", "dsPlayLooping 104"}));
    EXPECT_EQ(handed, (std::vector<Bytes>{sample(10), sample(20), sample(30), sample(40)}));

    f.fake.clear();
    g.KeyDown(27);
    EXPECT_EQ(f.fake.lines("ds"), (std::vector<std::string>{"dsFree 101", "dsFree 102", "dsFree 103",
                                                            "dsFree 104", "dsTerminate 7"}));
}

// What the library refuses when it comes is told as at a start with the library there.
TEST_F(SoundModule, WhatTheLibraryRefusesWhenItComesIsWarned) {
    putAllFour();
    struct Case {
        const char* name;
        bool loaded;
        std::int32_t device;
        std::int32_t (*create)(std::int32_t, const void*, std::int32_t);
        std::vector<std::string> warnings;
    };
    const Case cases[] = {
        {"no library", false, 7, nullptr, {no_device_warning}},
        {"no device", true, 0, nullptr, {no_device_warning}},
        {"the music refused", true, 7,
         [](std::int32_t, const void* w, std::int32_t flags) -> std::int32_t {
             return flags == 1 ? 0 : recordingCreate(7, w, flags);
         },
         {"msg [Tolvan.dll] 「BGM.wav」は再生できない形式です。 (!)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture fx;
        fx.fake.device_result = c.device;
        if (c.create) fx.fake.sound.dsCreateDSB = c.create;
        const SoundLibrary library = c.loaded ? fx.fake.sound : SoundLibrary{};
        DeferredSound standIn;
        fx.fake.sound = DeferredSound::table();
        fx.game->Form_Load();
        EXPECT_TRUE(fx.fake.lines("msg").empty());
        const DeferredSound::Refused refused = standIn.arrive(library);
        warnRefusedSounds(*fx.game, refused.device, refused.sounds);
        EXPECT_EQ(fx.fake.lines("msg"), c.warnings);
    }
}

// ---- The sound library ------------------------------------------------------------

// The library's seven functions, loaded from the run directory as the program loads
// them; `error` says why they are not there.
struct Library : tolvan::SoundLibrary {
    std::string error;
};

template <class F>
void bind(void* h, const char* name, F& slot, std::string& error) {
    slot = reinterpret_cast<F>(dlsym(h, name));
    if (!slot) error += std::string(" missing ") + name;
}

const Library& library() {
    static const Library lib = [] {
        Library l;
        const char* run = std::getenv("TOLVAN_RUN_DIR");
        const fs::path path = fs::path(run ? run : "") / "libtolvan_sound.so";
        if (!run || !fs::exists(path)) {
            l.error = "no built sound library (TOLVAN_RUN_DIR)";
            return l;
        }
        // Kept loaded for the whole process, like the program keeps it.
        void* h = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!h) {
            l.error = dlerror();
            return l;
        }
        bind(h, "dsInitialize", l.dsInitialize, l.error);
        bind(h, "dsCreateDSB", l.dsCreateDSB, l.error);
        bind(h, "dsPlay", l.dsPlay, l.error);
        bind(h, "dsPlayLooping", l.dsPlayLooping, l.error);
        bind(h, "dsStop", l.dsStop, l.error);
        bind(h, "dsFree", l.dsFree, l.error);
        bind(h, "dsTerminate", l.dsTerminate, l.error);
        return l;
    }();
    return lib;
}

// The library's mixer writes 44100 Hz 16-bit stereo; sounds in that format reach the
// output unchanged, so the tests can look for their exact samples.
constexpr int out_rate = 44100;
constexpr std::size_t out_buffer = 1024;  // frames the disk driver writes at a time

// A stereo sound of `frames` frames with no zero sample: it starts at the first
// non-zero sample of the output.
std::vector<std::int16_t> pattern(std::size_t frames, unsigned seed) {
    std::vector<std::int16_t> v;
    std::uint32_t x = seed;
    for (std::size_t i = 0; i < frames * 2; ++i) {
        x = x * 1664525u + 1013904223u;
        const int mag = 1000 + static_cast<int>((x >> 8) % 9000);
        v.push_back(static_cast<std::int16_t>((x >> 30) & 1 ? mag : -mag));
    }
    return v;
}

struct SoundLib : ::testing::Test {
    const Library& ds = library();
    std::int32_t device = 0;
    fs::path out;

    void SetUp() override {
        if (!ds.error.empty()) GTEST_SKIP() << ds.error;
        out = fs::temp_directory_path() /
              ("tolvan_sound_out_" + std::to_string(getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".raw");
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", out.c_str(), 1);
        device = ds.dsInitialize(1);
        ASSERT_NE(device, 0) << "the disk audio driver did not open";
    }
    void TearDown() override {
        if (device != 0) ds.dsTerminate(device);
        if (!out.empty()) fs::remove(out);
    }

    // The samples written so far (interleaved stereo).
    std::vector<std::int16_t> output() const {
        std::ifstream in(out, std::ios::binary);
        std::vector<char> raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::vector<std::int16_t> v(raw.size() / 4 * 2);
        if (!v.empty()) std::memcpy(v.data(), raw.data(), v.size() * 2);
        return v;
    }
    std::size_t framesOut() const {
        std::error_code ec;
        const auto n = fs::file_size(out, ec);
        return ec ? 0 : n / 4;
    }
    // Polls until the condition holds; false if it never does within a generous limit.
    template <class P>
    bool eventually(P done) const {
        const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < give_up) {
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return done();
    }
    void waitForFrames(std::size_t n) const {
        ASSERT_TRUE(eventually([&] { return framesOut() >= n; })) << "the output stopped growing";
    }
    // The sample index where the output first leaves silence, or -1.
    static long firstSound(const std::vector<std::int16_t>& v, std::size_t from = 0) {
        for (std::size_t i = from; i < v.size(); ++i)
            if (v[i] != 0) return static_cast<long>(i);
        return -1;
    }
    // True when the output holds `p` exactly from sample index `at`.
    static bool holds(const std::vector<std::int16_t>& v, long at, const std::vector<std::int16_t>& p) {
        return at >= 0 && static_cast<std::size_t>(at) + p.size() <= v.size() &&
               std::equal(p.begin(), p.end(), v.begin() + at);
    }
    static bool silentFrom(const std::vector<std::int16_t>& v, std::size_t from) {
        return firstSound(v, from) < 0;
    }
};

TEST_F(SoundLib, PlaysASoundOnceIntoTheOutput) {
    const auto p = pattern(2205, 1);
    const Bytes wave = waveFile(p, 2, out_rate);
    const std::int32_t h = ds.dsCreateDSB(device, wave.data(), 3);
    ASSERT_NE(h, 0);
    ds.dsPlay(h);
    ASSERT_TRUE(eventually([&] { auto v = output(); return holds(v, firstSound(v), p); }));
    const auto v = output();
    const long at = firstSound(v);
    EXPECT_EQ(at % 2, 0) << "the sound starts on a frame";
    // Once, and silence after it.
    const std::size_t end_frame = (at + p.size()) / 2;
    waitForFrames(end_frame + 8 * out_buffer);
    EXPECT_TRUE(silentFrom(output(), at + p.size()));
}

TEST_F(SoundLib, CopiesTheWaveWhenTheSoundIsCreated) {
    const auto p = pattern(2205, 2);
    Bytes wave = waveFile(p, 2, out_rate);
    const std::int32_t h = ds.dsCreateDSB(device, wave.data(), 3);
    ASSERT_NE(h, 0);
    // The caller's buffer is reused for something else at once.
    const Bytes other = waveFile(pattern(2205, 99), 2, out_rate);
    std::copy(other.begin(), other.end(), wave.begin());
    ds.dsPlay(h);
    EXPECT_TRUE(eventually([&] { auto v = output(); return holds(v, firstSound(v), p); }));
}

TEST_F(SoundLib, PlayingAgainWhileStillPlayingOverlaps) {
    // A long, level sound: two copies sounding together add up.
    const std::vector<std::int16_t> level(out_rate * 2 * 3, 3000);
    const Bytes wave = waveFile(level, 2, out_rate);
    const std::int32_t h = ds.dsCreateDSB(device, wave.data(), 3);
    ASSERT_NE(h, 0);
    ds.dsPlay(h);
    ASSERT_TRUE(eventually([&] { return firstSound(output()) >= 0; }));
    ds.dsPlay(h);
    EXPECT_TRUE(eventually([&] {
        auto v = output();
        return std::find(v.begin(), v.end(), 6000) != v.end();
    }));
}

TEST_F(SoundLib, LoopsUntilStopped) {
    const auto p = pattern(700, 3);
    const Bytes wave = waveFile(p, 2, out_rate);
    const std::int32_t h = ds.dsCreateDSB(device, wave.data(), 3);
    ASSERT_NE(h, 0);
    ds.dsPlayLooping(h);
    ASSERT_TRUE(eventually([&] { return firstSound(output()) >= 0; }));
    const long start = firstSound(output());
    // Many times round, then stop.
    waitForFrames(start / 2 + 20 * p.size() / 2);
    const std::size_t before_stop = framesOut();
    ds.dsStop(h);
    waitForFrames(before_stop + 16 * out_buffer);

    const auto v = output();
    // Round and round without a gap up to the stop...
    for (std::size_t i = start; i < before_stop * 2; ++i)
        ASSERT_EQ(v[i], p[(i - start) % p.size()]) << "sample " << i;
    // ...and silence once the buffers mixed before it are out.
    EXPECT_TRUE(silentFrom(v, (before_stop + 6 * out_buffer) * 2));
}

TEST_F(SoundLib, IgnoresHandleZeroAndHandlesNotItsOwn) {
    const auto p = pattern(2205, 4);
    const Bytes wave = waveFile(p, 2, out_rate);
    EXPECT_EQ(ds.dsCreateDSB(0, wave.data(), 3), 0);
    EXPECT_EQ(ds.dsCreateDSB(device + 1, wave.data(), 3), 0);
    const std::int32_t freed = ds.dsCreateDSB(device, wave.data(), 3);
    ASSERT_NE(freed, 0);
    ds.dsFree(freed);
    for (std::int32_t h : {0, freed, 987654, -1}) {
        ds.dsPlay(h);
        ds.dsPlayLooping(h);
        ds.dsStop(h);
        ds.dsFree(h);
    }
    ds.dsTerminate(0);
    waitForFrames(framesOut() + 8 * out_buffer);
    EXPECT_TRUE(silentFrom(output(), 0)) << "a dead handle played";

    // The device is still open and works.
    const std::int32_t h = ds.dsCreateDSB(device, wave.data(), 3);
    ASSERT_NE(h, 0);
    EXPECT_NE(h, freed) << "handles are not reused";
    ds.dsPlay(h);
    EXPECT_TRUE(eventually([&] { auto v = output(); return holds(v, firstSound(v), p); }));

    // After the device is closed its sounds are gone too.
    ds.dsTerminate(device);
    device = 0;
    ds.dsPlay(h);
    ds.dsFree(h);
}

TEST_F(SoundLib, RefusesDataThatIsNotAWave) {
    const Bytes text = bytesOf("This is not a wave file, only some text.");
    EXPECT_EQ(ds.dsCreateDSB(device, text.data(), 3), 0);
    Bytes riff = waveFile(pattern(100, 5), 2, out_rate);
    std::copy_n("AVI ", 4, riff.begin() + 8);
    EXPECT_EQ(ds.dsCreateDSB(device, riff.data(), 3), 0);
    // A RIFF WAVE header over chunks that make no sense.
    Bytes junk = bytesOf(std::string("RIFF\x20\0\0\0WAVEjunk\x10\0\0\0abcdefghijklmnop", 32));
    junk.resize(40, 'x');
    EXPECT_EQ(ds.dsCreateDSB(device, junk.data(), 3), 0);
    // A data chunk that claims far more than the file holds (the mixer would allocate
    // all of it before reading).
    Bytes claims = waveFile(pattern(100, 7), 2, out_rate);
    ASSERT_EQ(std::string(claims.begin() + 36, claims.begin() + 40), "data");
    for (int k = 0; k < 4; ++k) claims[40 + k] = k == 0 ? 0x2c : 0xff;
    EXPECT_EQ(ds.dsCreateDSB(device, claims.data(), 3), 0);
    // A real wave is still taken afterwards, as music too.
    const Bytes wave = waveFile(pattern(100, 6), 2, out_rate);
    EXPECT_NE(ds.dsCreateDSB(device, wave.data(), 1), 0);
}

// A sound is converted to the mixer's format only when first asked for, on a thread of
// its own; what is asked meanwhile is done once it is ready. A mono sound at half the
// mixer's rate is resampled, the longest conversion there is: one second of it.
std::vector<std::int16_t> longMono(unsigned seed) { return pattern(out_rate / 4, seed); }

TEST_F(SoundLib, MusicAskedForBeforeItIsReadyLoops) {
    const Bytes wave = waveFile(longMono(8), 1, out_rate / 2);
    const std::int32_t h = ds.dsCreateDSB(device, wave.data(), 1);
    ASSERT_NE(h, 0);
    EXPECT_EQ(ds.dsPlayLooping(h), 1);
    ASSERT_TRUE(eventually([&] { return firstSound(output()) >= 0; }));
    // Still sounding in its third round.
    const std::size_t start = static_cast<std::size_t>(firstSound(output())) / 2;
    waitForFrames(start + out_rate * 5 / 2 + out_buffer);
    const auto v = output();
    EXPECT_GE(firstSound(v, (start + out_rate * 2) * 2), 0) << "the loop ended";
    ds.dsStop(h);
}

TEST_F(SoundLib, AStopBeforeTheSoundIsReadyCancelsWhatWasAsked) {
    const Bytes wave = waveFile(longMono(9), 1, out_rate / 2);
    const std::int32_t h = ds.dsCreateDSB(device, wave.data(), 1);
    ASSERT_NE(h, 0);
    ds.dsPlayLooping(h);
    ds.dsPlay(h);
    ds.dsStop(h);
    // Whatever the converter had done by then, nothing sounds a while later.
    waitForFrames(framesOut() + out_rate * 2);
    const std::size_t later = framesOut();
    waitForFrames(later + 16 * out_buffer);
    EXPECT_TRUE(silentFrom(output(), (later + 6 * out_buffer) * 2));
}

TEST_F(SoundLib, FreeingAndClosingWhileASoundIsConvertedEndCleanly) {
    const Bytes wave = waveFile(longMono(10), 1, out_rate / 2);
    const std::int32_t freed = ds.dsCreateDSB(device, wave.data(), 3);
    const std::int32_t open = ds.dsCreateDSB(device, wave.data(), 1);
    ASSERT_NE(freed, 0);
    ASSERT_NE(open, 0);
    ds.dsPlay(freed);
    ds.dsPlayLooping(open);
    EXPECT_EQ(ds.dsFree(freed), 1);
    EXPECT_EQ(ds.dsPlay(freed), 0) << "a freed sound still answers";
    EXPECT_EQ(ds.dsTerminate(device), 1);
    EXPECT_EQ(ds.dsPlay(open), 0);
    device = 0;
}

// A RIFF WAVE whose format SDL does not know is refused when it is created, as before the
// conversion was put off, so that the program can say so.
TEST_F(SoundLib, RefusesAWaveOfAnUnknownFormatAtOnce) {
    Bytes wave = waveFile(pattern(100, 11), 2, out_rate);
    ASSERT_EQ(std::string(wave.begin() + 12, wave.begin() + 16), "fmt ");
    wave[20] = 0x99;  // the format tag
    wave[21] = 0x19;
    EXPECT_EQ(ds.dsCreateDSB(device, wave.data(), 3), 0);
}

// The sockets the process holds open (D-Bus connections among them).
int openSockets() {
    int n = 0;
    for (const auto& e : fs::directory_iterator("/proc/self/fd")) {
        std::error_code ec;
        const fs::path target = fs::read_symlink(e.path(), ec);
        if (!ec && target.string().rfind("socket:", 0) == 0) ++n;
    }
    return n;
}

// A private session bus, as a desktop session has one, for the life of the object.
class SessionBus {
public:
    SessionBus() {
        config_ = fs::temp_directory_path() / ("tolvan-bus-" + std::to_string(getpid()) + ".conf");
        std::ofstream(config_) << "<busconfig><type>session</type>"
                                  "<listen>unix:tmpdir=" << fs::temp_directory_path().string()
                               << "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                                  "<allow send_destination=\"*\" eavesdrop=\"true\"/>"
                                  "<allow eavesdrop=\"true\"/><allow own=\"*\"/>"
                                  "</policy></busconfig>";
        const std::string command = "dbus-daemon --config-file=" + config_.string() +
                                    " --fork --print-address=1 --print-pid=1 2>/dev/null";
        if (FILE* p = popen(command.c_str(), "r")) {
            char line[512];
            if (std::fgets(line, sizeof line, p)) address_ = line;
            if (std::fgets(line, sizeof line, p)) pid_ = std::atoi(line);
            pclose(p);
        }
        while (!address_.empty() && (address_.back() == '\n' || address_.back() == '\r'))
            address_.pop_back();
    }
    ~SessionBus() {
        if (pid_ > 0) kill(pid_, SIGTERM);
        fs::remove(config_);
    }
    bool running() const { return pid_ > 0 && !address_.empty(); }
    const std::string& address() const { return address_; }

private:
    fs::path config_;
    std::string address_;
    int pid_ = 0;
};

// SDL connects to the session bus when it starts; closing the device must end SDL, or
// the connection stays open until the process dies and a leak checker reports it.
TEST(SoundLibEnd, ClosingTheDeviceLeavesNoConnectionOpen) {
    const Library& ds = library();
    if (!ds.error.empty()) GTEST_SKIP() << ds.error;
    // SDL tries the session bus once per start, and gives up on it for good when there
    // is none: the check runs in a fresh process, whatever this one did before.
    if (!std::getenv("TOLVAN_FRESH_SOUND_PROCESS")) {
        SessionBus bus;
        if (!bus.running()) GTEST_SKIP() << "no dbus-daemon to give SDL a session bus";
        const std::string self = fs::read_symlink("/proc/self/exe").string();
        const std::string command = "TOLVAN_FRESH_SOUND_PROCESS=1 SDL_AUDIODRIVER=dummy "
                                    "DBUS_SESSION_BUS_ADDRESS='" + bus.address() + "' '" + self +
                                    "' --gtest_filter=SoundLibEnd.*";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return;
    }
    for (int round = 0; round < 2; ++round) {
        const int before = openSockets();
        const std::int32_t device = ds.dsInitialize(1);
        ASSERT_NE(device, 0);
        EXPECT_GT(openSockets(), before) << "SDL did not connect to the session bus";
        ds.dsTerminate(device);
        EXPECT_EQ(openSockets(), before) << "round " << round;
    }
}

}  // namespace
}  // namespace tolvan::testing
