#pragma once
// A folder of its own, under the system's temp folder, for the files a
// benchmark program writes. runBenchmarks() makes it, runs the benchmarks
// and removes it with everything in it; a folder it cannot remove fails the
// program, so that no run leaves files behind. `afterRun` lets go of what
// still uses the folder.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace bench {

inline std::filesystem::path& scratchDir() {
    static std::filesystem::path dir;
    return dir;
}

// A path inside the scratch folder.
inline std::string scratchFile(const std::string& name) {
    return (scratchDir() / name).string();
}

inline int runBenchmarks(int argc, char** argv, benchmark::BenchmarkReporter* reporter = nullptr,
                         void (*afterRun)() = nullptr) {
    namespace fs = std::filesystem;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    std::string pattern = (fs::temp_directory_path() / "bandwright-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        std::perror("cannot make a scratch folder");
        return 1;
    }
    scratchDir() = pattern;
    if (reporter)
        benchmark::RunSpecifiedBenchmarks(reporter);
    else
        benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (afterRun) afterRun();
    std::error_code ec;
    fs::remove_all(scratchDir(), ec);
    if (ec || fs::exists(scratchDir(), ec)) {
        std::fprintf(stderr, "cannot remove the scratch folder %s\n", scratchDir().c_str());
        return 1;
    }
    return 0;
}

} // namespace bench
