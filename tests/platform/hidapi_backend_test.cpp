// The real backend on a machine that may have no HID device at all.

#include "platform/hid_change_watch.h"
#include "platform/hidapi_backend.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(HidapiBackend, EnumeratesOpensAndWatchesWithoutADevice)
{
    platform::HidBackend& b = platform::hidapiBackend();
    const auto list = b.enumerate();
    ASSERT_TRUE(list);
    std::set<std::string> paths;
    for (const auto& i : *list) {
        EXPECT_FALSE(i.path.empty());
        EXPECT_TRUE(paths.insert(i.path).second) << "listed twice: " << i.path;
    }

    std::string reason;
    EXPECT_EQ(b.open("/dev/hidraw-none", &reason), nullptr);
    EXPECT_EQ(reason, "No such file or directory");
    EXPECT_EQ(b.open("", &reason), nullptr);

    int reports = 0;
    auto watch = b.watchChanges([&] { ++reports; });
    ASSERT_TRUE(watch);
    EXPECT_TRUE(watch->source() == "udev" || watch->source() == "timer") << watch->source();
}

TEST(PollingChangeWatch, ReportsOnlyWhenTheSetOfPathsChanges)
{
    std::set<std::string> present = {"/dev/hidraw0"};
    int reports = 0;
    platform::PollingChangeWatch watch([&] { return present; }, [&] { ++reports; }, 1000);
    watch.poll();
    EXPECT_EQ(reports, 0);
    present = {"/dev/hidraw0", "/dev/hidraw1"};
    watch.poll();
    watch.poll();
    EXPECT_EQ(reports, 1);
    present = {"/dev/hidraw2", "/dev/hidraw1"};  // one left, one came: same count, still a change
    watch.poll();
    EXPECT_EQ(reports, 2);
}

}  // namespace
