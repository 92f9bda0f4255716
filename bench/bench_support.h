#ifndef TESK_VUMO_BENCH_SUPPORT_H
#define TESK_VUMO_BENCH_SUPPORT_H

// Timing, page-fault counting and the result table shared by the benchmarks.

#include <functional>
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
    std::string versus_key;  ///< another row this one is compared with
    std::string versus_name; ///< what that row is, for the table
};

/// Adds a row; the returned reference stays valid until the table prints.
Row& add_row(Row row);
Row& add_row(std::string key, std::string operation, std::string viewport, std::string image);
Row* find_row(const std::string& key);

/// Minor page faults of this process so far.
long minor_faults();

/// Makes the X server finish every request sent so far.
void display_sync();

/// One operation of a benchmark and the row it is recorded in.
struct Timed
{
    Row* row;
    std::function<void()> op;
};

/// Runs each of @p ops @p warm_up times untimed, then, once per benchmark
/// iteration, each of them in turn, timing each call: an operation and its
/// floors see the same load on a shared machine. Records each one's median
/// and page faults per call in its row; the first one's also as counters of
/// @p state (the iteration time Google Benchmark reports covers them all).
void timed_together(benchmark::State& state, const std::vector<Timed>& ops, int warm_up = 2);

/// Registers a benchmark of @p iterations iterations in wall-clock milliseconds.
benchmark::internal::Benchmark* add(const std::string& name, int iterations,
                                    std::function<void(benchmark::State&)> body);

template <class Op>
void timed(benchmark::State& state, Row& row, Op&& op, int warm_up = 2)
{
    timed_together(state, {{&row, std::forward<Op>(op)}}, warm_up);
}

/// Prints the table of every row to stdout, as Markdown.
void print_table(const std::string& machine);

/// What a viewer held in one state, in buffers of the image's size (W x H x 3 bytes).
struct MemoryRow
{
    std::string image;
    std::string state;
    double minimum;     ///< what the behaviour requires
    double before = -1; ///< private resident memory over the image size, before the change
    double held = -1;   ///< the same after the change
    double peak = -1;   ///< the highest during the change
};
MemoryRow& add_memory_row(MemoryRow row);
void print_memory_table();

/// Private (anonymous) resident memory of this process in bytes, after
/// returning the memory malloc keeps free to the system: what images and
/// other allocations hold, without mapped files or memory shared with the
/// X server.
double anonymous_bytes();
/// The highest anonymous_bytes() while @p change runs, sampled every 0.25 ms.
double peak_anonymous_bytes(const std::function<void()>& change);

/// One line describing this machine, the toolkit and the libraries.
std::string describe_machine();

/// A smooth, photograph-like R, G, B image (gradients and mild noise).
cv::Mat synthetic_photo(int width, int height);

} // namespace tesk_vumo::bench

#endif
