#include "base/errorreporter_win.h"

#include "base/text_win.h"

#include <stdexcept>

namespace vemora {

std::wstring ErrorReporter::Describe(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return Utf8ToWide(e.what());
    } catch (...) {
        return L"Unknown error";
    }
}

void ErrorReporter::Report(HWND owner, const std::exception_ptr& error) {
    if (showing_)
        return;
    showing_ = true;
    ++shown_;
    try {
        effects_.ShowError(owner, title_, Describe(error));
    } catch (...) {
    }
    showing_ = false;
}

void ErrorReporter::ReportTickFailure(HWND owner, const std::exception_ptr& error) {
    if (tickFailureShown_)
        return;
    tickFailureShown_ = true;
    Report(owner, error);
}

} // namespace vemora
