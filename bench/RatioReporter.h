// The console report plus a closing table: each row's best CPU time per iteration (over its
// repetitions) and its ratio to one base row, so a run reads as "how far from the peer or floor".
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter
{
public:
    RatioReporter(std::string baseRow, std::string baseLabel)
        : baseRow(std::move(baseRow)), baseLabel(std::move(baseLabel))
    {
    }

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
        {
            if (run.run_type != Run::RT_Iteration || run.iterations == 0)
                continue;
            // CPU time: the machine is shared, and waiting for a core is not the code's cost.
            double ns = run.GetAdjustedCPUTime(); // in the run's time unit
            ns *= run.time_unit == benchmark::kMicrosecond ? 1e3 : run.time_unit == benchmark::kMillisecond ? 1e6 : 1;
            const std::string name = run.run_name.function_name;
            auto it = best.find(name);
            if (it == best.end() || ns < it->second)
                best[name] = ns;
            if (std::find(order.begin(), order.end(), name) == order.end())
                order.push_back(name);
        }
    }

    void PrintRatios() const
    {
        auto base = best.find(baseRow);
        if (base == best.end())
            return;
        std::printf("\n%-36s %12s %10s\n", "row (best of repetitions)", "ns/op", ("/ " + baseLabel).c_str());
        for (const std::string& name : order)
            std::printf("%-36s %12.1f %10.2f\n", name.c_str(), best.at(name), best.at(name) / base->second);
    }

private:
    std::string baseRow;
    std::string baseLabel;
    std::map<std::string, double> best;
    std::vector<std::string> order;
};

// The main of a benchmark program that ends with the ratio table.
inline int RunWithRatios(int argc, char** argv, const std::string& baseRow, const std::string& baseLabel)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter(baseRow, baseLabel);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
