#ifndef TESK_VUMO_TESTS_RELIABILITY_SUPPORT_H
#define TESK_VUMO_TESTS_RELIABILITY_SUPPORT_H

// Seeds, sizes and hostile inputs shared by the reliability tests. Every
// random choice comes from one seeded generator, so a failure is replayed by
// running again with the seed it prints.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <opencv2/core.hpp>
#include <wx/event.h>
#include <wx/window.h>

inline void PrintTo(const wxPoint& p, std::ostream* os) { *os << "(" << p.x << ", " << p.y << ")"; }
inline void PrintTo(const wxSize& s, std::ostream* os) { *os << s.x << "x" << s.y; }

namespace tesk_vumo::testing {

/// An unsigned value from the environment, or @p fallback.
inline unsigned long env_number(const char* name, unsigned long fallback)
{
    const char* text = std::getenv(name);
    if (!text || !*text)
        return fallback;
    return std::strtoul(text, nullptr, 0);
}

/// TESK_VUMO_STORM_SEED, else a fixed seed so that CI runs are repeatable.
inline unsigned storm_seed()
{
    return static_cast<unsigned>(env_number("TESK_VUMO_STORM_SEED", 20240611));
}

/// TESK_VUMO_STORM_ACTIONS: random actions per viewer (longer soaks).
inline int storm_actions()
{
    return static_cast<int>(env_number("TESK_VUMO_STORM_ACTIONS", 2000));
}

/// TESK_VUMO_SOAK_CYCLES: create/destroy cycles per scenario.
inline int soak_cycles()
{
    return static_cast<int>(env_number("TESK_VUMO_SOAK_CYCLES", 12));
}

/// A line the closing figures of a run are collected from.
inline void report_figure(const std::string& what, long count)
{
    std::cout << "[ figures  ] " << what << ": " << count << std::endl;
}

class Rng
{
public:
    explicit Rng(unsigned seed) : engine_(seed) {}

    /// Uniform in [lo, hi].
    int between(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(engine_); }
    bool chance(double p) { return std::bernoulli_distribution(p)(engine_); }
    template <class T>
    const T& pick(const std::vector<T>& items)
    {
        return items[static_cast<size_t>(between(0, static_cast<int>(items.size()) - 1))];
    }
    /// Any int, with the edges of the range and small values likely.
    int wild()
    {
        switch (between(0, 5)) {
        case 0: return std::numeric_limits<int>::min() + between(0, 3);
        case 1: return std::numeric_limits<int>::max() - between(0, 3);
        case 2: return between(-3, 3);
        case 3: return between(-5000, 5000);
        default: return static_cast<int>(engine_());
        }
    }
    unsigned next() { return static_cast<unsigned>(engine_()); }

private:
    std::mt19937 engine_;
};

/// A random image a host could hand over: 1x1 up to a few thousand pixels
/// on a side (the area kept moderate), gray or colour, sometimes a view into
/// a larger array (rows not contiguous).
inline cv::Mat random_image(Rng& rng)
{
    int w, h;
    switch (rng.between(0, 9)) {
    case 0: w = rng.between(1, 4); h = rng.between(1, 4); break;
    case 1: w = rng.between(1000, 3000); h = rng.between(1, 3); break; // slivers
    case 2: w = rng.between(1, 3); h = rng.between(1000, 3000); break;
    case 3: w = rng.between(600, 1600); h = rng.between(400, 1200); break;
    default: w = rng.between(1, 400); h = rng.between(1, 400); break;
    }
    const bool gray = rng.chance(0.3);
    cv::Mat image(h, w, gray ? CV_8UC1 : CV_8UC3);
    cv::randu(image, cv::Scalar::all(0), cv::Scalar::all(256));
    if (!gray && w > 2 && h > 2 && rng.chance(0.2))
        return image(cv::Rect(1, 1, w - 2, h - 2));
    return image;
}

/// Arrays no viewer can show (each must be refused with a type error).
inline std::vector<cv::Mat> invalid_arrays()
{
    const int three_d[] = {2, 3, 4};
    return {
        cv::Mat(),
        cv::Mat(5, 5, CV_8SC3, cv::Scalar::all(1)),
        cv::Mat(5, 5, CV_32FC2, cv::Scalar::all(1)),
        cv::Mat(5, 25, CV_8UC1, cv::Scalar::all(1)).reshape(5),
        cv::Mat(5, 5, CV_8UC2, cv::Scalar::all(1)),
        cv::Mat(5, 5, CV_16FC3, cv::Scalar::all(1)),
        cv::Mat(3, three_d, CV_8UC1, cv::Scalar::all(1)),
        cv::Mat(0, 7, CV_8UC3),
    };
}

/// Sends @p event to @p target as the toolkit would, and fails the test if
/// an exception comes back out of the handler.
inline void deliver(wxWindow* target, wxEvent& event, const std::string& what)
{
    event.SetEventObject(target);
    if (event.GetId() == 0)
        event.SetId(target->GetId());
    try {
        target->GetEventHandler()->ProcessEvent(event);
    } catch (const std::exception& error) {
        ADD_FAILURE() << "exception escaped the handler of " << what << ": " << error.what();
    } catch (...) {
        ADD_FAILURE() << "unknown exception escaped the handler of " << what;
    }
}

} // namespace tesk_vumo::testing

#endif
