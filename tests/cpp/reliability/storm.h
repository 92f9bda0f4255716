#ifndef TESK_VUMO_TESTS_STORM_H
#define TESK_VUMO_TESTS_STORM_H

// The frame of a randomized event storm: weighted actions drawn from one
// seeded generator, invariants checked after each, and on the first failure
// the seed, the action's index and the actions that led there.

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/frame.h>

#include "reliability_support.h"
#include "test_support.h"

namespace tesk_vumo::testing {

class Storm
{
public:
    Storm(unsigned seed, wxFrame* frame) : rng(seed), frame(frame), seed_(seed) {}
    virtual ~Storm() = default;

    /// Runs @p count actions; stops at the first failure.
    void run(int count)
    {
        int total_weight = 0;
        for (const Action& action : actions_)
            total_weight += action.weight;
        for (index_ = 0; index_ < count; ++index_) {
            int draw = rng.between(1, total_weight);
            const Action* chosen = &actions_.front();
            for (const Action& action : actions_) {
                draw -= action.weight;
                if (draw <= 0) {
                    chosen = &action;
                    break;
                }
            }
            detail.str("");
            const auto start = std::chrono::steady_clock::now();
            chosen->run();
            ++tried_[chosen->name];
            if (!::testing::Test::HasFailure())
                check_invariants();
            const double ms =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
            spent_ms_[chosen->name] += ms;
            if (ms > slowest_ms_) {
                slowest_ms_ = ms;
                slowest_ = "#" + std::to_string(index_) + " " + chosen->name + " " + detail.str();
            }
            history_.push_back("#" + std::to_string(index_) + " " + chosen->name + " " + detail.str());
            if (history_.size() > 25)
                history_.pop_front();
            if (::testing::Test::HasFailure()) {
                std::string last;
                for (const std::string& line : history_)
                    last += "\n  " + line;
                ADD_FAILURE() << "storm stopped at action #" << index_ << " (" << chosen->name << ") with seed "
                              << seed_ << "; replay with TESK_VUMO_STORM_SEED=" << seed_
                              << "\nlast actions:" << last;
                return;
            }
        }
    }

    long actions_run() const
    {
        long total = 0;
        for (const auto& [name, count] : tried_)
            total += count;
        return total;
    }
    const std::map<std::string, long>& tried() const { return tried_; }
    /// Time spent per kind of action, with its invariant checks.
    const std::map<std::string, double>& spent_ms() const { return spent_ms_; }
    std::string slowest() const { return slowest_ + " (" + std::to_string(int(slowest_ms_)) + " ms)"; }

protected:
    struct Action
    {
        std::string name;
        int weight;
        std::function<void()> run;
    };

    void add(std::string name, int weight, std::function<void()> run)
    {
        actions_.push_back({std::move(name), weight, std::move(run)});
    }

    virtual void check_invariants() = 0;

    /// Resizes the host frame as a user dragging its border would, and lets
    /// the layout and the queued calls run.
    void resize_frame(wxSize size)
    {
        frame->SetClientSize(size);
        wait_until([&] { return frame->GetClientSize() == size; }, 300);
        pump();
    }

    Rng rng;
    wxFrame* frame;
    std::ostringstream detail; ///< what the current action did, for the failure report

private:
    unsigned seed_;
    int index_ = 0;
    std::vector<Action> actions_;
    std::map<std::string, long> tried_;
    std::map<std::string, double> spent_ms_;
    double slowest_ms_ = 0;
    std::string slowest_;
    std::deque<std::string> history_;
};

} // namespace tesk_vumo::testing

#endif
