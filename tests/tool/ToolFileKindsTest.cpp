// vornalix-tool on files that are not regular ones, and on sizes at the edge:
// streams end with an answer, FIFOs named on purpose are read once, tables
// beyond the largest are a clear error, and saves never replace a FIFO or a
// device. Every run has a time limit, so that a tool that blocks fails.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "tests/tool/ToolProcess.h"
#include "tests/tool/ToolTestFiles.h"

namespace {

constexpr int kLimitSeconds = 60;

// Writes the image into a FIFO once a reader has opened it, then closes it;
// gives up after a while when nobody comes.
class FifoWriter
{
public:
    FifoWriter(const std::string& fifo, Bytes image)
        : m_thread([fifo, image = std::move(image)] {
              sigset_t pipeSignal;
              sigemptyset(&pipeSignal);
              sigaddset(&pipeSignal, SIGPIPE);
              pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
              int fd = -1;
              const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kLimitSeconds);
              while (fd < 0 && std::chrono::steady_clock::now() < deadline) {
                  fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
                  if (fd < 0)
                      std::this_thread::sleep_for(std::chrono::milliseconds(5));
              }
              if (fd < 0)
                  return;
              ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
              for (std::size_t done = 0; done < image.size();) {
                  const ssize_t n = ::write(fd, image.data() + done, image.size() - done);
                  if (n <= 0)
                      break;
                  done += static_cast<std::size_t>(n);
              }
              ::close(fd);
          })
    {
    }
    ~FifoWriter() { m_thread.join(); }

private:
    std::thread m_thread;
};

std::string KindAt(const std::string& path)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
        return "missing";
    if (S_ISFIFO(st.st_mode))
        return "fifo";
    if (S_ISCHR(st.st_mode))
        return "chr";
    if (S_ISLNK(st.st_mode))
        return "link";
    return S_ISREG(st.st_mode) ? "file" : "other";
}

} // namespace

// A stream without end given as a tuner table: the header decides how much is
// read, and every run ends with an answer instead of growing until it aborts.
TEST(ToolFileKinds, EndlessStreamsEndWithAnAnswer)
{
    ToolRun dump = RunToolProcessWithin({"dump", "--type", "tsf", "/dev/zero"}, kLimitSeconds);
    ASSERT_FALSE(dump.bTimedOut);
    EXPECT_EQ(dump.status, 0) << dump.err;
    EXPECT_NE(dump.out.find("entry count: 0\n"), std::string::npos) << dump.out;

    ToolRun check = RunToolProcessWithin({"check", "--type", "tsf", "/dev/zero"}, kLimitSeconds);
    ASSERT_FALSE(check.bTimedOut);
    EXPECT_EQ(check.status, 1) << check.err;
    EXPECT_EQ(check.out, "/dev/zero: the marker is 0x0000, not 0xCB00\n"
                         "/dev/zero: the magic is \"\\x00\\x00\\x00\\x00\", not \"TNSP\"\n");

    for (const char* type : {"tsf", "ccf", "cft"}) {
        for (int round = 0; round < 3; ++round) {
            ToolRun random = RunToolProcessWithin({"check", "--type", type, "/dev/urandom"}, kLimitSeconds);
            ASSERT_FALSE(random.bTimedOut) << type;
            // Findings, or a clear refusal of the file; never an abort.
            EXPECT_TRUE(random.status == 1 || random.status == 2) << type << ": " << random.status << random.err;
            EXPECT_EQ(random.err.find("terminate"), std::string::npos) << random.err;
        }
    }
}

// The tool reads a FIFO named on purpose, as cat would, and check does not
// open it a second time.
TEST(ToolFileKinds, FifoNamedOnPurposeIsReadOnce)
{
    TempDir dir;
    const std::string tsf = dir.File("tuners.tsf");
    const std::string ccf = dir.File("plan.ccf");
    ASSERT_EQ(::mkfifo(tsf.c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(ccf.c_str(), 0600), 0);
    TnspImage tuners;
    tuners.records.resize(2);
    tuners.records[1].factory = 0x01;
    ChfqImage plan;
    plan.air = {48.25, 55.25};

    ToolRun check;
    {
        FifoWriter writer(tsf, tuners.Build());
        check = RunToolProcessWithin({"check", tsf}, kLimitSeconds);
    }
    ASSERT_FALSE(check.bTimedOut) << "check blocked on the FIFO";
    EXPECT_EQ(check.status, 1) << check.err;
    EXPECT_NE(
        check.out.find(tsf + ": entry 001 (01:12): the sort key 211 is below the key 213 of the entry before it\n"),
        std::string::npos)
        << check.out;

    ToolRun dump;
    {
        FifoWriter writer(ccf, plan.Build());
        dump = RunToolProcessWithin({"dump", ccf}, kLimitSeconds);
    }
    ASSERT_FALSE(dump.bTimedOut);
    EXPECT_EQ(dump.status, 0) << dump.err;
    EXPECT_NE(dump.out.find("air channels: 2, range 1 to 2\n  air 001  48.25 MHz\n  air 002  55.25 MHz\n"),
              std::string::npos)
        << dump.out;
}

// A count as large as the format allows over 64 MiB of holes: refused with
// the largest table the program accepts, not loaded record by record.
TEST(ToolFileKinds, TunerTableBeyondTheLargestIsAClearError)
{
    TempDir dir;
    const std::string path = dir.File("huge.tsf");
    Bytes header;
    PutBytes(header, {0x00, 0xCB, 0x00, 0x00, 'T', 'N', 'S', 'P'});
    PutI32(header, 0x7fffffff);
    WriteAll(path, header);
    ASSERT_EQ(::truncate(path.c_str(), off_t{64} << 20), 0);
    const std::string refusal =
        "vornalix-tool: " + path +
        ": cannot be read: its entry count 2147483647 is more than the 100000 tuner entries a table may have\n";
    for (const char* command : {"check", "dump"}) {
        ToolRun run = RunToolProcessWithin({command, path}, kLimitSeconds);
        ASSERT_FALSE(run.bTimedOut) << command;
        EXPECT_EQ(run.status, 2) << command;
        EXPECT_EQ(run.err, refusal) << command;
        EXPECT_EQ(run.out, "") << command;
    }
}

// build never replaces a FIFO, a device or a loop of links with a regular file.
TEST(ToolFileKinds, BuildRefusesOutputsThatAreNotRegularFiles)
{
    TempDir dir;
    ChfqImage plan;
    plan.air = {48.25};
    WriteAll(dir.File("plan.ccf"), plan.Build());
    ToolRun json = RunToolProcessWithin({"dump", "--json", dir.File("plan.ccf")}, kLimitSeconds);
    ASSERT_EQ(json.status, 0);
    WriteAll(dir.File("plan.json"), Bytes(json.out.begin(), json.out.end()));

    ASSERT_EQ(::mkfifo(dir.File("fifo.ccf").c_str(), 0600), 0);
    std::filesystem::create_symlink("loop-b.ccf", dir.File("loop-a.ccf"));
    std::filesystem::create_symlink("loop-a.ccf", dir.File("loop-b.ccf"));
    std::vector<std::pair<std::string, std::string>> cases = {
        {"fifo.ccf", "it is a FIFO, not a regular file"},
        {"loop-a.ccf", std::strerror(ELOOP)},
    };
    // A device node of its own with the numbers of /dev/null, where the
    // process may make one (root): never the system's.
    if (::mknod(dir.File("null.ccf").c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0)
        cases.emplace_back("null.ccf", "it is a character device, not a regular file");
    for (const auto& [name, reason] : cases) {
        const std::string output = dir.File(name);
        const std::string kind = KindAt(output);
        ToolRun build = RunToolProcessWithin({"build", dir.File("plan.json"), "-o", output}, kLimitSeconds);
        ASSERT_FALSE(build.bTimedOut) << name;
        EXPECT_EQ(build.status, 1) << name;
        EXPECT_EQ(build.err, "vornalix-tool: " + output + ": cannot be written: " + reason + "\n") << name;
        EXPECT_EQ(KindAt(output), kind) << name;
    }
    std::vector<std::string> expected = {"fifo.ccf", "loop-a.ccf", "loop-b.ccf", "plan.ccf", "plan.json"};
    if (cases.size() == 3)
        expected.insert(expected.begin() + 3, "null.ccf");
    EXPECT_EQ(dir.Entries(), expected); // nothing left beside them
}
