#ifndef TESK_VUMO_BENCH_SUPPORT_H
#define TESK_VUMO_BENCH_SUPPORT_H

// Timing, page-fault counting and the result table shared by the benchmarks.

#include <chrono>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <opencv2/core.hpp>

namespace tesk_vumo::bench {

struct Viewport
{
    int width;
    int height;
    std::string name() const { return std::to_string(width) + "x" + std::to_string(height); }
};

struct ImageSize
{
    int megapixels;
    int width;
    int height;
    std::string name() const { return std::to_string(megapixels) + " MP"; }
};

/// What one benchmark measured, and what it is compared with.
struct Row
{
    std::string key;       ///< unique; floors are looked up by it
    std::string operation;
    std::string viewport;  ///< empty where the viewport plays no part
    std::string image;     ///< empty where the image plays no part
    std::string floor_name;
    /// Floor = sum over terms of the smallest median among each term's keys.
    std::vector<std::vector<std::string>> floor_terms;
    std::vector<std::string> blit_keys; ///< for redraws: the blit floor alone (the fastest of these)
    bool hidden = false;   ///< a floor shown only through the rows that use it
    double median_ms = -1;
    double faults_per_op = -1;
    std::string note;      ///< why there is no measurement
};

/// Adds a row; the returned reference stays valid until the table prints.
Row& add_row(Row row);
Row& add_row(std::string key, std::string operation, std::string viewport, std::string image);
Row* find_row(const std::string& key);

/// Minor page faults of this process so far.
long minor_faults();

/// Makes the X server finish every request sent so far.
void display_sync();

/// Stores the median of the first @p n samples and the faults per call.
void record(benchmark::State& state, Row& row, std::vector<double>& samples, size_t n, long faults);

/// Runs @p op @p warm_up times untimed, then once per benchmark iteration,
/// timing each call; records the median and the page faults per call in
/// @p row and as counters of @p state.
template <class Op>
void timed(benchmark::State& state, Row& row, Op&& op, int warm_up = 2)
{
    for (int i = 0; i < warm_up; ++i)
        op();
    // Touch the sample storage now, so that its pages are not counted.
    std::vector<double> samples(static_cast<size_t>(state.max_iterations), 0.0);
    size_t n = 0;
    const long faults_before = minor_faults();
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        op();
        const auto end = std::chrono::steady_clock::now();
        if (n < samples.size())
            samples[n++] = std::chrono::duration<double, std::milli>(end - start).count();
    }
    const long faults = minor_faults() - faults_before;
    record(state, row, samples, n, faults);
}

/// Prints the table of every row to stdout, as Markdown.
void print_table(const std::string& machine);

/// One line describing this machine, the toolkit and the libraries.
std::string describe_machine();

/// A smooth, photograph-like R, G, B image (gradients and mild noise).
cv::Mat synthetic_photo(int width, int height);

} // namespace tesk_vumo::bench

#endif
