#pragma once
// The benchmarks' table files at the formats' limits, written once per run into
// a private folder on the disk the benchmarks are run from (so that fsync costs
// what it costs there), and removed at the end of the run. VORNALIX_BENCH_DIR
// names another parent folder.

#include <cstdint>
#include <string>

class BenchFiles
{
public:
    static constexpr std::int32_t kTunerEntries = 100000;

    static const BenchFiles& Get();

    std::string folder;
    std::string chfq; // 65,535 air and 65,535 cable channels
    std::string tnsp; // 100,000 tuner records
    std::string cft;  // 65,535 + 65,535 old entries, all of them taken

    std::string Scratch(const std::string& name) const { return folder + "/" + name; }

    ~BenchFiles();
    BenchFiles(const BenchFiles&) = delete;
    BenchFiles& operator=(const BenchFiles&) = delete;

private:
    BenchFiles();
};
