#include "net/request.h"

#include <gtest/gtest.h>

using namespace vemora;

TEST(RequestSlot, OneAtATimeAndNoOlderAnswerOverANewerChoice) {
    // Steps: a<key> asks (+ started, - not), c cancels, r<n> is the answer of
    // the n-th started request (u used, d dropped, then ! when to ask again).
    struct Case {
        const char* what;
        const char* steps;
        const char* outcome;
    };
    const Case cases[] = {
        {"answered", "aA r1", "+ u"},
        {"the same asked again while running", "aA aA r1 aA", "+ - u +"},
        {"a new choice while running", "aA aB r1 aB r2", "+ - d! + u"},
        {"back to the running choice", "aA aB aA r1", "+ - - d!"},
        {"cancelled while running", "aA c r1 aA", "+ d +"},
        {"cancelled, then asked again", "aA c aA r1 aA r2", "+ - d! + u"},
        {"an answer twice", "aA r1 r1", "+ u d"},
        {"a late answer of an earlier request", "aA r1 aA r1 r2", "+ u + d u"},
    };
    for (const Case& c : cases) {
        RequestSlot slot;
        std::vector<unsigned> started;
        std::string outcome;
        for (const char* p = c.steps; *p; ++p) {
            if (*p == ' ')
                continue;
            if (!outcome.empty())
                outcome += ' ';
            if (*p == 'a') {
                const unsigned g = slot.Ask(std::string(1, *++p));
                if (g)
                    started.push_back(g);
                outcome += g ? '+' : '-';
            } else if (*p == 'c') {
                slot.Cancel();
                outcome.pop_back();
            } else {
                const RequestSlot::Answer a = slot.Arrived(started.at(static_cast<size_t>(*++p - '1')));
                outcome += a.use ? "u" : "d";
                if (a.askAgain)
                    outcome += '!';
            }
        }
        EXPECT_EQ(outcome, c.outcome) << c.what;
    }
}
