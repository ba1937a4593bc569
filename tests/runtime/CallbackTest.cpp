// Event subscription rules.
#include "core/runtime/Event.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Listener {
    std::vector<std::string>* calls;
    std::string id;
    void onValue(int value) { calls->push_back(id + ":" + std::to_string(value)); }
    void onOther(int value) { calls->push_back(id + "-other:" + std::to_string(value)); }
};

struct OtherListener {
    std::vector<std::string>* calls;
    void onValue(int value) { calls->push_back("other:" + std::to_string(value)); }
};

} // namespace

TEST(Event, FiresInSubscriptionOrderOncePerObjectAndUnsubscribeKeepsTheRest) {
    std::vector<std::string> calls;
    Listener a{&calls, "a"};
    Listener b{&calls, "b"};
    OtherListener c{&calls};
    Event<int> event;
    subscribe(event, &a, &Listener::onValue);
    subscribe(event, &c, &OtherListener::onValue);
    subscribe(event, &a, &Listener::onValue);
    subscribe(event, &a, &Listener::onOther);
    subscribe(event, &b, &Listener::onValue);
    fire(event, 1);
    unsubscribe(event, &a);
    unsubscribe(event, &a);
    fire(event, 2);
    EXPECT_EQ(calls, (std::vector<std::string>{"a:1", "other:1", "b:1", "other:2", "b:2"}));
}
