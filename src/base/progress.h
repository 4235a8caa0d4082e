#pragma once
// The progress interface that long operations report to: open with a caption
// and a range, report a count and a bar position, close. A cancel request of
// the user sets the abort flag, which long operations test between rows.

#include <string>

namespace lorvane {

class Progress {
public:
    virtual ~Progress() = default;
    virtual void Open(const std::string& caption, int rangeMin, int rangeMax) = 0;
    // count: the number shown ("Sections Completed:"), position: the bar.
    virtual void Report(int count, int position) = 0;
    virtual void Close() = 0;
    // True once the user asked to cancel; long operations stop at the next test.
    virtual bool AbortRequested() = 0;
};

// Shows nothing and never aborts unless told to.
class SilentProgress : public Progress {
public:
    void Open(const std::string&, int, int) override {}
    void Report(int, int) override {}
    void Close() override {}
    bool AbortRequested() override { return abort; }
    bool abort = false;
};

}  // namespace lorvane
