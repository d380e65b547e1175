#include "tests/tool/ToolProcess.h"

#include <cerrno>
#include <chrono>

#include <csignal>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/TestFiles.h"

namespace {

ToolRun Run(const std::vector<std::string>& args, const std::string& workDir, const std::string& executable,
            unsigned long fileSizeLimit, int timeoutSeconds = 0);

} // namespace

ToolRun RunToolProcess(const std::vector<std::string>& args, const std::string& workDir, const std::string& executable)
{
    return Run(args, workDir, executable, 0);
}

ToolRun RunToolOnFullDisk(const std::vector<std::string>& args, unsigned long fileSizeLimit)
{
    return Run(args, "", VORNALIX_TOOL, fileSizeLimit);
}

ToolRun RunToolProcessWithin(const std::vector<std::string>& args, int seconds)
{
    return Run(args, "", VORNALIX_TOOL, 0, seconds);
}

namespace {

ToolRun Run(const std::vector<std::string>& args, const std::string& workDir, const std::string& executable,
            unsigned long fileSizeLimit, int timeoutSeconds)
{
    TempDir capture;
    const std::string outPath = capture.File("out");
    const std::string errPath = capture.File("err");

    std::vector<std::string> argv = {executable};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers;
    for (std::string& arg : argv)
        pointers.push_back(arg.data());
    pointers.push_back(nullptr);

    ToolRun run;
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int in = ::open("/dev/null", O_RDONLY);
        if (out < 0 || err < 0 || in < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0 || ::dup2(in, 0) < 0)
            ::_exit(127);
        if (!workDir.empty() && ::chdir(workDir.c_str()) != 0)
            ::_exit(127);
        if (fileSizeLimit > 0) {
            // Past the limit a write fails with EFBIG instead of ending the program.
            ::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{};
            ::getrlimit(RLIMIT_FSIZE, &limit);
            limit.rlim_cur = fileSizeLimit;
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
                ::_exit(127);
        }
        ::execv(executable.c_str(), pointers.data());
        ::_exit(127);
    }
    if (pid < 0)
        return run;
    int wstatus = 0;
    pid_t waited = 0;
    if (timeoutSeconds > 0) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
        while (((waited = ::waitpid(pid, &wstatus, WNOHANG)) == 0 || (waited < 0 && errno == EINTR)) &&
               std::chrono::steady_clock::now() < deadline)
            ::usleep(10000);
        if (waited <= 0) {
            run.bTimedOut = true;
            ::kill(pid, SIGKILL);
        }
    }
    if (waited <= 0) {
        do
            waited = ::waitpid(pid, &wstatus, 0);
        while (waited < 0 && errno == EINTR);
    }
    if (waited < 0)
        return run;
    run.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    const Bytes out = ReadAll(outPath);
    const Bytes err = ReadAll(errPath);
    run.out.assign(out.begin(), out.end());
    run.err.assign(err.begin(), err.end());
    return run;
}

} // namespace
