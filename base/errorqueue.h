#pragma once
#include <cstddef>
#include <deque>
#include <optional>
#include <string>

namespace vemora {

// Error messages waiting for their box, shown one after another in the order
// they came. A message equal to one that waits or is being shown is merged
// into it; once its box has closed, the same text is news again. The box's
// own message loop keeps the program running, so reports arrive while a box
// is open: they wait here instead of being lost or stacking boxes.
//
//     queue.Add(text);
//     while (auto next = queue.BeginNext()) { show *next; queue.EndShown(); }
//
// A report made while a box is open finds BeginNext empty and returns; the
// loop of the first report shows it when its box closes. Texts are UTF-8.
class ErrorQueue {
public:
    // At most this many distinct messages wait; later ones are dropped, so
    // that a fault repeating with ever new text cannot pile up boxes.
    static constexpr std::size_t kMaxWaiting = 16;

    // False when the message was merged or dropped.
    bool Add(std::string message);

    // The next message, now being shown; nothing while a box is open or
    // when nothing waits.
    std::optional<std::string> BeginNext();

    // The box of the message being shown has closed.
    void EndShown();

    bool Showing() const { return showing_.has_value(); }
    std::size_t Waiting() const { return waiting_.size(); }

private:
    std::deque<std::string> waiting_;
    std::optional<std::string> showing_;
};

} // namespace vemora
