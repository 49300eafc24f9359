#include "base/errorqueue.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

using namespace vemora;

namespace {

// The shell's use: a report shows boxes until nothing waits, and a box's
// message loop can make further reports meanwhile.
struct Reporter {
    ErrorQueue queue;
    std::map<std::string, std::vector<std::string>> reportedWhileShowing;
    std::vector<std::string> shown;

    void Report(const std::string& message) {
        queue.Add(message);
        while (const auto next = queue.BeginNext()) {
            shown.push_back(*next);
            // Each box's reports come once: a message shown again brings none.
            const std::vector<std::string> nested = std::move(reportedWhileShowing[*next]);
            reportedWhileShowing.erase(*next);
            for (const std::string& m : nested)
                Report(m);
            queue.EndShown();
        }
    }
};

} // namespace

TEST(ErrorQueue, ShowsEachDistinctMessageOnceInOrder) {
    struct Case {
        const char* name;
        std::vector<std::string> reports;
        std::map<std::string, std::vector<std::string>> whileShowing;
        std::vector<std::string> shown;
    };
    const Case cases[] = {
        {"one", {"A"}, {}, {"A"}},
        {"reported while a box is open", {"A"}, {{"A", {"B", "C"}}}, {"A", "B", "C"}},
        {"same as the one shown", {"A"}, {{"A", {"A", "B"}}}, {"A", "B"}},
        {"same as one waiting", {"A"}, {{"A", {"B", "C", "B"}}}, {"A", "B", "C"}},
        {"reported from a later box", {"A"}, {{"A", {"B"}}, {"B", {"C", "A"}}}, {"A", "B", "C", "A"}},
        {"after the box closed, news again", {"A", "A"}, {}, {"A", "A"}},
    };
    for (const Case& c : cases) {
        Reporter r;
        r.reportedWhileShowing = c.whileShowing;
        for (const std::string& m : c.reports)
            r.Report(m);
        EXPECT_EQ(r.shown, c.shown) << c.name;
        EXPECT_FALSE(r.queue.Showing()) << c.name;
        EXPECT_EQ(r.queue.Waiting(), 0u) << c.name;
    }
}

TEST(ErrorQueue, AFloodOfNewTextsIsBounded) {
    Reporter r;
    for (int i = 0; i < 40; ++i)
        r.reportedWhileShowing["first"].push_back("error " + std::to_string(i));
    r.Report("first");
    ASSERT_EQ(r.shown.size(), 1 + ErrorQueue::kMaxWaiting);
    EXPECT_EQ(r.shown[1], "error 0");
    EXPECT_EQ(r.shown.back(), "error 15");
}
