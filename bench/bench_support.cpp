#include "bench_support.h"

#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>
#include <sys/utsname.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <deque>
#include <fstream>
#include <sstream>
#include <thread>

#include <X11/Xlib.h>
#include <wx/utils.h>
#include <wx/version.h>

namespace tesk_vumo::bench {

namespace {
std::deque<Row>& rows()
{
    static std::deque<Row> all;
    return all;
}

std::string first_line_with(const char* path, const std::string& prefix)
{
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line))
        if (line.compare(0, prefix.size(), prefix) == 0)
            return line.substr(line.find(':') + 1);
    return "?";
}

std::string trim(std::string text)
{
    text.erase(0, text.find_first_not_of(" \t"));
    text.erase(text.find_last_not_of(" \t") + 1);
    return text;
}

std::string fixed(double value, int decimals)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

double fastest_of(const std::vector<std::string>& keys)
{
    double best = -1;
    for (const auto& key : keys) {
        const Row* floor = find_row(key);
        if (floor && floor->median_ms > 0 && (best < 0 || floor->median_ms < best))
            best = floor->median_ms;
    }
    return best;
}

double floor_of(const Row& row)
{
    if (row.floor_terms.empty())
        return -1;
    double total = 0;
    for (const auto& term : row.floor_terms) {
        const double best = fastest_of(term);
        if (best < 0)
            return -1;
        total += best;
    }
    return total;
}
} // namespace

Row& add_row(Row row)
{
    rows().push_back(std::move(row));
    return rows().back();
}

Row& add_row(std::string key, std::string operation, std::string viewport, std::string image)
{
    Row row;
    row.key = std::move(key);
    row.operation = std::move(operation);
    row.viewport = std::move(viewport);
    row.image = std::move(image);
    return add_row(std::move(row));
}

Row* find_row(const std::string& key)
{
    for (Row& row : rows())
        if (row.key == key)
            return &row;
    return nullptr;
}

benchmark::internal::Benchmark* add(const std::string& name, int iterations,
                                    std::function<void(benchmark::State&)> body)
{
    return benchmark::RegisterBenchmark(name.c_str(), std::move(body))
        ->Iterations(iterations)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
}

long minor_faults()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

void display_sync()
{
    // A round trip: returns once the server has executed every request the
    // toolkit and cairo queued, without reading any pixels back.
    XSync(wxGetX11Display(), False);
}

void timed_together(benchmark::State& state, const std::vector<Timed>& ops, int warm_up)
{
    for (int i = 0; i < warm_up; ++i)
        for (const Timed& timed : ops)
            timed.op();
    // Touch the sample storage now, so that its pages are not counted.
    const size_t capacity = static_cast<size_t>(state.max_iterations);
    std::vector<std::vector<double>> samples(ops.size(), std::vector<double>(capacity, 0.0));
    std::vector<long> faults(ops.size(), 0);
    size_t n = 0;
    for (auto _ : state) {
        for (size_t i = 0; i < ops.size(); ++i) {
            const long faults_before = minor_faults();
            const auto start = std::chrono::steady_clock::now();
            ops[i].op();
            const auto end = std::chrono::steady_clock::now();
            faults[i] += minor_faults() - faults_before;
            if (n < capacity)
                samples[i][n] = std::chrono::duration<double, std::milli>(end - start).count();
        }
        n = std::min(n + 1, capacity);
    }
    if (n == 0)
        return;
    for (size_t i = 0; i < ops.size(); ++i) {
        std::vector<double>& times = samples[i];
        std::sort(times.begin(), times.begin() + static_cast<long>(n));
        Row& row = *ops[i].row;
        row.median_ms = n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
        row.faults_per_op = static_cast<double>(faults[i]) / static_cast<double>(n);
    }
    state.counters["median_ms"] = ops[0].row->median_ms;
    state.counters["faults_per_op"] = ops[0].row->faults_per_op;
}

void print_table(const std::string& machine)
{
    std::printf("\nMachine: %s\n\n", machine.c_str());
    std::printf("| operation | viewport | image | median ms | floor (ms) | x floor | x blit | 48 MP / 1 MP | faults/op | compared |\n");
    std::printf("|---|---|---|---:|---|---:|---:|---:|---:|---|\n");
    for (const Row& row : rows()) {
        if (row.hidden || (row.median_ms < 0 && row.note.empty()))
            continue; // a floor shown through its users, or filtered out
        if (row.median_ms < 0) {
            std::printf("| %s | %s | %s | %s | | | | | | |\n", row.operation.c_str(), row.viewport.c_str(),
                        row.image.c_str(), row.note.c_str());
            continue;
        }
        const double floor = floor_of(row);
        std::string floor_text, ratio_text, blit_text, size_text;
        if (floor > 0) {
            floor_text = row.floor_name + " " + fixed(floor, 2);
            if (row.floor_terms.size() > 1) {
                std::string parts;
                for (const auto& term : row.floor_terms)
                    parts += (parts.empty() ? "" : " + ") + fixed(fastest_of(term), 2);
                floor_text += " (" + parts + ")";
            }
            ratio_text = fixed(row.median_ms / floor, 2);
        }
        if (const double blit = fastest_of(row.blit_keys); blit > 0)
            blit_text = fixed(row.median_ms / blit, 2);
        if (row.image == "48 MP") {
            for (const Row& small : rows())
                if (small.operation == row.operation && small.viewport == row.viewport && small.image == "1 MP"
                    && small.median_ms > 0)
                    size_text = fixed(row.median_ms / small.median_ms, 2);
        }
        std::string versus_text;
        if (const Row* other = row.versus_key.empty() ? nullptr : find_row(row.versus_key);
            other && other->median_ms > 0)
            versus_text = fixed(row.median_ms / other->median_ms, 2) + " x " + row.versus_name;
        std::printf("| %s | %s | %s | %s | %s | %s | %s | %s | %s | %s |\n", row.operation.c_str(),
                    row.viewport.c_str(), row.image.c_str(), fixed(row.median_ms, row.median_ms < 0.1 ? 4 : 2).c_str(),
                    floor_text.c_str(), ratio_text.c_str(), blit_text.c_str(), size_text.c_str(),
                    fixed(row.faults_per_op, 1).c_str(), versus_text.c_str());
    }
    std::fflush(stdout);
}

namespace {
std::deque<MemoryRow>& memory_rows()
{
    static std::deque<MemoryRow> all;
    return all;
}
} // namespace

MemoryRow& add_memory_row(MemoryRow row)
{
    memory_rows().push_back(std::move(row));
    return memory_rows().back();
}

void print_memory_table()
{
    if (memory_rows().empty())
        return;
    std::printf("\n| image | state | buffers held | minimum | held - minimum | peak during the change | peak - max(before, after) |\n");
    std::printf("|---|---|---:|---:|---:|---:|---:|\n");
    for (const MemoryRow& row : memory_rows()) {
        if (row.held < 0)
            continue;
        std::printf("| %s | %s | %s | %s | %s | %s | %s |\n", row.image.c_str(), row.state.c_str(),
                    fixed(row.held, 2).c_str(), fixed(row.minimum, 2).c_str(), fixed(row.held - row.minimum, 2).c_str(),
                    fixed(row.peak, 2).c_str(), fixed(row.peak - std::max(row.before, row.held), 2).c_str());
    }
    std::fflush(stdout);
}

namespace {
double anonymous_bytes_now()
{
    // statm counts pages: resident, then resident shared with files or other
    // processes (mapped libraries, the X server's shared-memory images).
    std::ifstream statm("/proc/self/statm");
    double size = 0, resident = 0, shared = 0;
    statm >> size >> resident >> shared;
    return (resident - shared) * static_cast<double>(sysconf(_SC_PAGESIZE));
}
} // namespace

double anonymous_bytes()
{
    // Memory freed to malloc is not held by anyone, but glibc keeps up to
    // 64 MiB of it per arena until some later free trims the arena.
    malloc_trim(0);
    return anonymous_bytes_now();
}

double peak_anonymous_bytes(const std::function<void()>& change)
{
    std::atomic<bool> done{false};
    double peak = anonymous_bytes_now();
    std::thread sampler([&] {
        while (!done.load()) {
            peak = std::max(peak, anonymous_bytes_now());
            std::this_thread::sleep_for(std::chrono::microseconds(250));
        }
    });
    change();
    done = true;
    sampler.join();
    return std::max(peak, anonymous_bytes_now());
}

std::string describe_machine()
{
    utsname name{};
    uname(&name);
    std::ostringstream out;
    out << trim(first_line_with("/proc/cpuinfo", "model name")) << ", " << std::thread::hardware_concurrency()
        << " cores, " << trim(first_line_with("/proc/meminfo", "MemTotal")) << " RAM; Linux " << name.release
        << "; wxWidgets " << wxMAJOR_VERSION << "." << wxMINOR_VERSION << "." << wxRELEASE_NUMBER
        << " (GTK3) on Xvfb; OpenCV " << CV_VERSION << "; load average at start ";
    std::ifstream load("/proc/loadavg");
    std::string one, five;
    load >> one >> five;
    out << one << " / " << five;
    return out.str();
}

cv::Mat synthetic_photo(int width, int height)
{
    cv::Mat image(height, width, CV_8UC3);
    for (int y = 0; y < height; ++y) {
        auto* row = image.ptr<cv::Vec3b>(y);
        for (int x = 0; x < width; ++x)
            row[x] = cv::Vec3b(static_cast<uchar>(x * 255LL / width), static_cast<uchar>(y * 255LL / height),
                               static_cast<uchar>((x + y) * 255LL / (width + height)));
    }
    cv::Mat noise(height, width, CV_8UC3);
    cv::randu(noise, 0, 24);
    image += noise;
    return image;
}

} // namespace tesk_vumo::bench
