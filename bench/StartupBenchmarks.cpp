// Start-up and peak memory of the real program, each beside the same figure of
// a bare Qt program that shows one empty dialog (the floor for a Qt Widgets
// program on this machine). Both run as child processes on Qt's offscreen
// platform, with a private runtime folder (so a running instance is not
// disturbed) and VORNALIX_EXIT_WHEN_SHOWN set, so that each ends as soon as
// its window has been painted. The two alternate within every iteration.
#include <benchmark/benchmark.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include "bench/BenchFiles.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct ChildRun
{
    bool bOk = false;
    double seconds = 0;
    double maxRssMiB = 0;
    std::string error;
};

std::vector<std::string> ChildEnvironment()
{
    static const char* const kOwn[] = {"QT_QPA_PLATFORM=", "XDG_RUNTIME_DIR=", "VORNALIX_EXIT_WHEN_SHOWN="};
    std::vector<std::string> env;
    for (char** p = environ; *p; ++p) {
        bool bOwn = false;
        for (const char* own : kOwn)
            bOwn = bOwn || std::strncmp(*p, own, std::strlen(own)) == 0;
        if (!bOwn)
            env.emplace_back(*p);
    }
    const std::string runtime = BenchFiles::Get().Scratch("runtime");
    ::mkdir(runtime.c_str(), 0700);
    env.push_back("QT_QPA_PLATFORM=offscreen");
    env.push_back("XDG_RUNTIME_DIR=" + runtime);
    env.push_back("VORNALIX_EXIT_WHEN_SHOWN=1");
    return env;
}

// The peak resident size the program reported on its standard error.
double PeakMiB(const std::string& errorFile)
{
    std::ifstream in(errorFile);
    std::string line;
    const std::string key = "peak-rss-kib ";
    double kib = 0;
    while (std::getline(in, line)) {
        const auto at = line.find(key);
        if (at != std::string::npos)
            kib = std::stod(line.substr(at + key.size()));
    }
    return kib / 1024.0;
}

// Runs the program to its end (killing it after 60 s) and reports its wall
// time, from just before the spawn to the reaping, and its peak resident size.
ChildRun Run(const std::string& program, const std::vector<std::string>& arguments)
{
    static const std::string errorFile = BenchFiles::Get().Scratch("child-stderr.txt");
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addopen(&actions, 2, errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    static const std::vector<std::string> env = ChildEnvironment();
    std::vector<char*> envp;
    for (const std::string& e : env)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    ChildRun run;
    const auto t0 = Clock::now();
    pid_t pid = 0;
    const int spawnError = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    ::posix_spawn_file_actions_destroy(&actions);
    if (spawnError != 0) {
        run.error = "cannot start " + program + ": " + std::strerror(spawnError);
        return run;
    }
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid)
            break;
        if (done < 0 && errno != EINTR) {
            run.error = std::string("waitpid: ") + std::strerror(errno);
            return run;
        }
        if (Clock::now() - t0 > std::chrono::seconds(60)) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            run.error = program + " did not end once its window was shown";
            return run;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    run.seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    run.maxRssMiB = PeakMiB(errorFile);
    run.bOk = WIFEXITED(status) && WEXITSTATUS(status) == 0 && run.maxRssMiB > 0;
    if (!run.bOk)
        run.error = program + " ended with status " + std::to_string(status) + " or reported no peak memory";
    return run;
}

// A program started against the bare one, alternated: the program's time per
// start, the bare program's mean time and both peaks of memory as counters.
// Returns what the program adds per start (ms) and its share of the bare
// time; none when a start failed.
struct StartsAgainstBare
{
    double addedMs = 0;
    double xBare = 0;
};

std::optional<StartsAgainstBare> TimeAgainstBare(benchmark::State& state, const std::string& program)
{
    double total = 0;
    double bare = 0;
    double rss = 0;
    double bareRss = 0;
    for (auto _ : state) {
        const ChildRun floor = Run(VORNALIX_BARE_EXECUTABLE, {});
        const ChildRun real = Run(program, {});
        if (!floor.bOk || !real.bOk) {
            state.SkipWithError((floor.bOk ? real.error : floor.error).c_str());
            return std::nullopt;
        }
        total += real.seconds;
        bare += floor.seconds;
        rss = std::max(rss, real.maxRssMiB);
        bareRss = std::max(bareRss, floor.maxRssMiB);
        state.SetIterationTime(real.seconds);
    }
    if (bare <= 0)
        return std::nullopt;
    const auto starts = static_cast<double>(state.iterations());
    state.counters["bare_ms"] = 1e3 * bare / starts;
    state.counters["rss_MiB"] = rss;
    state.counters["bare_rss_MiB"] = bareRss;
    return StartsAgainstBare{1e3 * (total - bare) / starts, total / bare};
}

void BM_Startup_Launcher(benchmark::State& state)
{
    if (const std::optional<StartsAgainstBare> starts = TimeAgainstBare(state, VORNALIX_EXECUTABLE))
        state.counters["x_bare"] = starts->xBare;
}
BENCHMARK(BM_Startup_Launcher)->Unit(benchmark::kMillisecond)->UseManualTime();

// What listening through Qt's QLocalServer adds to a start: the bare program
// with and without it, alternated. Our activation channel is a plain Unix
// socket that needs no more than the bare program links.
void BM_Startup_BareWithLocalServer(benchmark::State& state)
{
    if (const std::optional<StartsAgainstBare> starts = TimeAgainstBare(state, VORNALIX_BARE_LOCAL_SERVER_EXECUTABLE))
        state.counters["added_ms"] = starts->addedMs;
}
BENCHMARK(BM_Startup_BareWithLocalServer)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(20);

// The program started with the largest channel table on its command line: the
// launcher, then the editor with both lists loaded and the air list on screen.
void BM_Memory_TableLoaded(benchmark::State& state)
{
    const std::string table = BenchFiles::Get().chfq;
    double rss = 0;
    double bareRss = 0;
    for (auto _ : state) {
        const ChildRun floor = Run(VORNALIX_BARE_EXECUTABLE, {});
        const ChildRun real = Run(VORNALIX_EXECUTABLE, {table});
        if (!floor.bOk || !real.bOk) {
            state.SkipWithError((floor.bOk ? real.error : floor.error).c_str());
            break;
        }
        rss = std::max(rss, real.maxRssMiB);
        bareRss = std::max(bareRss, floor.maxRssMiB);
        state.SetIterationTime(real.seconds);
    }
    if (bareRss > 0) {
        state.counters["rss_MiB"] = rss;
        state.counters["bare_rss_MiB"] = bareRss;
        state.counters["limit_MiB"] = 2 * bareRss + 10;
    }
}
BENCHMARK(BM_Memory_TableLoaded)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

} // namespace
