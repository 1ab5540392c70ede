// How long the window program takes from its start to its first painted window,
// offscreen: the program is started afresh for every run, and the run ends when Qt
// reports the first flush of the main window to the screen. Wall time is the benchmark's
// time; cpu_ms is the CPU the program had used by then, in all its threads, dynamic
// linking included (cpu_ticks_ms: the same counted in clock ticks, ended threads too).
//
// The program runs from a portable copy of the build's run folder (or of the folder
// TOLVAN_PROGRAM_DIR names, to compare another build), with settings of the
// benchmark's own: the defaults, the music on, and the largest size (with the pictures
// kept from the start before, and without).
#include <benchmark/benchmark.h>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// A copy of the run folder, made once per process and removed at its end.
class ProgramCopy {
public:
    ProgramCopy() {
        char name[] = "/tmp/tolvan-startup-XXXXXX";
        if (!mkdtemp(name)) return;
        dir_ = name;
        const char* other = std::getenv("TOLVAN_PROGRAM_DIR");
        for (const auto& e : fs::directory_iterator(other ? other : TOLVAN_RUN_DIR))
            if (e.is_regular_file() && e.path().filename() != "Tolvan.ini")
                fs::copy_file(e.path(), dir_ / e.path().filename());
    }
    ~ProgramCopy() {
        if (!dir_.empty()) fs::remove_all(dir_);
    }
    const fs::path& dir() const { return dir_; }
    // The settings the next start reads (Shift-JIS lines, as the program writes them).
    void settings(const std::string& lines) const {
        std::ofstream(dir_ / "Tolvan.ini", std::ios::binary) << lines;
    }

private:
    fs::path dir_;
};

const ProgramCopy& program() {
    static const ProgramCopy copy;
    return copy;
}

// The CPU time a running process has used in all its live threads, in milliseconds, to
// the nanosecond.
double cpuMilliseconds(pid_t pid) {
    double ns = 0;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    if (DIR* d = opendir(tasks.c_str())) {
        while (dirent* e = readdir(d)) {
            if (e->d_name[0] == '.') continue;
            std::ifstream in(tasks + "/" + e->d_name + "/schedstat");
            double run = 0;
            if (in >> run) ns += run;
        }
        closedir(d);
    }
    return ns / 1e6;
}

// The same from the process's own account, which also holds the threads that have ended,
// in steps of the clock tick.
double cpuTicksMilliseconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The fields after the command's name, which is in parentheses: utime is the 12th.
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    double utime = 0, stime = 0;
    for (int i = 1; i <= 13 && fields >> field; ++i) {
        if (i == 12) utime = std::atof(field.c_str());
        if (i == 13) stime = std::atof(field.c_str());
    }
    return (utime + stime) * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

struct Start {
    bool painted = false;
    double wall_ms = 0;
    double cpu_ms = 0;
    double cpu_ticks_ms = 0;
};

// Starts the program and waits for its first painted window; then, after `linger`
// milliseconds more, ends it.
Start startOnce(const fs::path& dir, int linger = 0) {
    Start result;
    int out[2];
    if (pipe(out) != 0) return result;
    const auto begin = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 2);
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) dup2(null, 1);
        close(out[0]);
        close(out[1]);
        // A screen that holds the window at every size.
        setenv("QT_QPA_PLATFORM", "offscreen:configfile=" TOLVAN_SCREEN_CONFIG, 1);
        setenv("QT_LOGGING_RULES", "qt.widgets.painting=true", 1);
        // A sound device that opens everywhere, so that no warning stops the start.
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        const std::string exe = (dir / "tolvan").string();
        execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    if (pid < 0) {
        close(out[0]);
        return result;
    }
    // Qt's log of the program's painting, line by line, for at most 30 seconds (a
    // program that shows a message box first never gets there).
    std::string text;
    pollfd watch{out[0], POLLIN, 0};
    while (!result.painted && poll(&watch, 1, 30000) > 0) {
        char chunk[4096];
        const ssize_t n = read(out[0], chunk, sizeof chunk);
        if (n <= 0) break;
        text.append(chunk, static_cast<std::size_t>(n));
        for (std::size_t end; !result.painted && (end = text.find('\n')) != std::string::npos; text.erase(0, end + 1)) {
            const std::string line = text.substr(0, end);
            if (line.find("Flushing QRegion") != std::string::npos && line.find("MainWindow") != std::string::npos) {
                result.cpu_ms = cpuMilliseconds(pid);
                result.cpu_ticks_ms = cpuTicksMilliseconds(pid);
                result.wall_ms =
                    std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
                result.painted = true;
            }
        }
    }
    if (linger > 0) usleep(useconds_t(linger) * 1000);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    close(out[0]);
    return result;
}

// `firstStart`: the pictures painted for other sizes are not kept from the start before,
// as on the first start after an installation (they are kept beside a portable program).
void BM_StartUpToFirstPaint(benchmark::State& state, const char* settings, bool firstStart = false) {
    const ProgramCopy& copy = program();
    if (copy.dir().empty()) return state.SkipWithError("no copy of the run folder");
    copy.settings(settings);
    // A start that lasts long enough for the pictures painted to be kept.
    if (!firstStart) startOnce(copy.dir(), 1500);
    double cpu = 0, ticks = 0;
    for (auto _ : state) {
        if (firstStart) fs::remove_all(copy.dir() / "pictures");
        const Start s = startOnce(copy.dir());
        if (!s.painted) return state.SkipWithError("the program ended without painting its window");
        state.SetIterationTime(s.wall_ms / 1000.0);
        cpu += s.cpu_ms;
        ticks += s.cpu_ticks_ms;
    }
    state.counters["cpu_ms"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
    state.counters["cpu_ticks_ms"] = benchmark::Counter(ticks, benchmark::Counter::kAvgIterations);
}
BENCHMARK_CAPTURE(BM_StartUpToFirstPaint, Defaults, "")
    ->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_CAPTURE(BM_StartUpToFirstPaint, MusicOn, "BGM=ON\r\n")
    ->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
// 盤の大きさ=300, in Shift-JIS.
#define SIZE_300 "\x94\xd5\x82\xcc\x91\xe5\x82\xab\x82\xb3=300\r\n"
BENCHMARK_CAPTURE(BM_StartUpToFirstPaint, Size300, SIZE_300)
    ->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_CAPTURE(BM_StartUpToFirstPaint, Size300FirstStart, SIZE_300, true)
    ->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
