#pragma once
// A progress interface for tests: records every report and asks to abort
// once the abort flag has been tested a given number of times.

#include <string>
#include <utility>
#include <vector>

#include "base/progress.h"

namespace lorvane::testing {

class ProgressRecorder : public Progress {
  public:
    // abortAfterTests: the abort test that answers yes first (1 = the first
    // test); 0 never aborts.
    explicit ProgressRecorder(int abortAfterTests = 0) : abortAfterTests_(abortAfterTests) {}

    void Open(const std::string& caption, int rangeMin, int rangeMax) override {
        opened.push_back({caption, rangeMin, rangeMax});
    }
    void Report(int count, int position) override { reports.emplace_back(count, position); }
    void Close() override { ++closed; }
    bool AbortRequested() override {
        ++abortTests;
        return abortAfterTests_ > 0 && abortTests >= abortAfterTests_;
    }

    struct Opening {
        std::string caption;
        int rangeMin;
        int rangeMax;
    };
    std::vector<Opening> opened;
    std::vector<std::pair<int, int>> reports;
    int closed = 0;
    int abortTests = 0;

  private:
    int abortAfterTests_;
};

}  // namespace lorvane::testing
