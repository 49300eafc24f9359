#pragma once
#include "base/effects_win.h"
#include "base/errorqueue.h"
#include "base/eventlog.h"

#include <exception>
#include <string>

namespace vemora {

// The one place that shows errors: a message box with an error icon and the
// application's title. It never stacks boxes: while one is open (its modal
// loop keeps the timer running) further reports wait and are shown one after
// another when it closes, each distinct message once, one equal to a message
// waiting or shown merged into it. A failure of the clock tick is shown once
// and not again until a tick has drawn. Every error reported goes to the
// event log too, merged or not.
class ErrorReporter {
public:
    ErrorReporter(Effects& effects, std::wstring title) : effects_(effects), title_(std::move(title)) {}

    void Report(HWND owner, const std::exception_ptr& error);
    void ReportTickFailure(HWND owner, const std::exception_ptr& error);
    void TickDrawn() { tickFailureShown_ = false; }
    // The log errors are written to from now on; nullptr: none.
    void LogTo(EventLog* log) { log_ = log; }

    const std::wstring& Title() const { return title_; }
    int Shown() const { return shown_; }

    static std::wstring Describe(const std::exception_ptr& error);

private:
    Effects& effects_;
    std::wstring title_;
    ErrorQueue queue_;
    EventLog* log_ = nullptr;
    bool tickFailureShown_ = false;
    int shown_ = 0;
};

} // namespace vemora
