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
    const std::string message = WideToUtf8(Describe(error));
    if (log_)
        log_->Write("error", message);
    queue_.Add(message);
    // A report made while a box is open leaves its message waiting for the
    // loop below, further up the same stack, to show.
    while (std::optional<std::string> next = queue_.BeginNext()) {
        ++shown_;
        try {
            effects_.ShowError(IsWindow(owner) ? owner : nullptr, title_, Utf8ToWide(*next));
        } catch (const std::exception& e) {
            // The box could not be shown: the log is all that is left.
            if (log_)
                log_->Write("error", std::string("message box failed: ") + e.what());
        } catch (...) {
            if (log_)
                log_->Write("error", "message box failed");
        }
        queue_.EndShown();
    }
}

void ErrorReporter::ReportTickFailure(HWND owner, const std::exception_ptr& error) {
    if (tickFailureShown_)
        return;
    tickFailureShown_ = true;
    Report(owner, error);
}

} // namespace vemora
