// What every benchmark program here prints after the usual table: each measured figure as a ratio
// to its baseline (measured in the same run, on the same work) and that ratio against its goal.
// Runs are repeated and interleaved at random, so that a load on the machine meets the figure and
// its baseline alike; the medians of the repetitions are compared.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace palvex_bench {

// Adds the interleaving and repetition flags unless the command line sets its own.
inline std::vector<char*> WithInterleaving(int argc, char** argv, int repetitions) {
    static std::string interleave = "--benchmark_enable_random_interleaving=true";
    static std::string repeat;
    repeat = "--benchmark_repetitions=" + std::to_string(repetitions);
    std::vector<char*> args(argv, argv + argc);
    bool hasInterleave = false, hasRepeat = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        hasInterleave |= arg.rfind("--benchmark_enable_random_interleaving", 0) == 0;
        hasRepeat |= arg.rfind("--benchmark_repetitions", 0) == 0;
    }
    if (!hasInterleave) args.push_back(interleave.data());
    if (!hasRepeat) args.push_back(repeat.data());
    return args;
}

// Keeps the wall time per iteration of every repetition, by benchmark name (function and
// arguments).
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || run.iterations <= 0 || run.run_type != Run::RT_Iteration) continue;
            std::string name = run.run_name.function_name;
            if (!run.run_name.args.empty()) name += "/" + run.run_name.args;
            m_seconds[name].push_back(run.real_accumulated_time / static_cast<double>(run.iterations));
        }
    }

    // The median seconds per iteration of a benchmark, or a negative value when it did not run.
    double Median(const std::string& name) const {
        const auto it = m_seconds.find(name);
        if (it == m_seconds.end() || it->second.empty()) return -1;
        std::vector<double> times = it->second;
        std::sort(times.begin(), times.end());
        const size_t n = times.size();
        return n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
    }

    // Prints "<what>: <ratio> (goal <= <goal>) met|NOT MET" for figure / baseline (scaled by
    // scale, for figures that are not compared per iteration alike); false when it is not met or
    // either side is missing.
    bool PrintRatio(const std::string& what, const std::string& figure, const std::string& baseline, double goal,
                    double scale = 1.0) const {
        const double ours = Median(figure), theirs = Median(baseline);
        if (ours < 0 || theirs <= 0) {
            std::printf("%s: not measured (%s or %s did not run)\n", what.c_str(), figure.c_str(), baseline.c_str());
            return false;
        }
        const double ratio = ours * scale / theirs;
        std::printf("%s: ratio %.3f (goal <= %.2f) %s\n", what.c_str(), ratio, goal, ratio <= goal ? "met" : "NOT MET");
        return ratio <= goal;
    }

    // Prints "<what>: <time> (<n>x <baseline>, <time>); ratio to the <goal> goal <ratio> (goal <=
    // 1.00) met|NOT MET" for a figure with a goal in seconds; false when it is not met or missing.
    bool PrintAgainstGoal(const std::string& what, const std::string& figure, const std::string& baseline,
                          double goalSeconds) const {
        const double ours = Median(figure), floor = Median(baseline);
        if (ours <= 0) {
            std::printf("%s: not measured\n", what.c_str());
            return false;
        }
        const double ratio = ours / goalSeconds;
        std::printf("%s: %s (%.1fx %s, %s); ratio to the %s goal %.3f (goal <= 1.00) %s\n", what.c_str(),
                    Time(ours).c_str(), floor > 0 ? ours / floor : 0.0, baseline.c_str(), Time(floor).c_str(),
                    Time(goalSeconds).c_str(), ratio, ratio <= 1.0 ? "met" : "NOT MET");
        return ratio <= 1.0;
    }

private:
    // Seconds in the unit that reads best: "1.50 s", "2.00 ms", "50.0 us", "140 ns".
    static std::string Time(double seconds) {
        char text[32];
        if (seconds >= 1.0) std::snprintf(text, sizeof text, "%.2f s", seconds);
        else if (seconds >= 1e-3) std::snprintf(text, sizeof text, "%.2f ms", seconds * 1e3);
        else if (seconds >= 1e-6) std::snprintf(text, sizeof text, "%.1f us", seconds * 1e6);
        else std::snprintf(text, sizeof text, "%.0f ns", seconds * 1e9);
        return text;
    }

    std::map<std::string, std::vector<double>> m_seconds;
};

// The program's main: the benchmarks the command line names, repeated and interleaved, then the
// report the program prints from their medians. Answers the exit code.
template <class Report>
int RunAndReport(int argc, char** argv, int repetitions, Report report) {
    std::vector<char*> args = WithInterleaving(argc, argv, repetitions);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    report(reporter);
    benchmark::Shutdown();
    return 0;
}

}  // namespace palvex_bench
