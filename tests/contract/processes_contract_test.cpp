// What the process and service operations must do, against the fake process table natively and
// against the real system under wine. Only this test program's own process is opened; nothing is
// ended here (tests/win32/processes_win32_test.cpp ends processes it started itself).
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "contract/backends.h"
#include "core/text.h"
#include "platform/processes.h"

namespace {

class ProcessesContract : public BackendContract {
protected:
    Processes& procs() { return *backend_.platform.processes; }
};

TEST_P(ProcessesContract, TheSnapshotListsThisProcessUnderItsImageName) {
    ASSERT_NE(backend_.platform.processes, nullptr);
    std::vector<ProcessEntry> snap;
    ASSERT_TRUE(procs().snapshot(snap));
    const uint32_t self = procs().current_pid();
    auto it = std::find_if(snap.begin(), snap.end(), [&](const ProcessEntry& e) { return e.pid == self; });
    ASSERT_NE(it, snap.end());
    std::u16string path;
    ASSERT_TRUE(procs().image_path(self, path));
    ASSERT_GT(path.size(), 3u);
    EXPECT_EQ(path[1], u':');
    EXPECT_TRUE(text_equal_ci(text_view(path_name_part(path.c_str())), it->exe));
}

TEST_P(ProcessesContract, AnOpenedHandleReadsTheSameImage) {
    ASSERT_NE(backend_.platform.processes, nullptr);
    const uint32_t self = procs().current_pid();
    std::u16string by_id, by_handle;
    ASSERT_TRUE(procs().image_path(self, by_id));
    std::unique_ptr<ProcessHandle> h = procs().open(self);
    ASSERT_NE(h, nullptr);
    ASSERT_TRUE(h->image_path(by_handle));
    EXPECT_TRUE(text_equal_ci(by_id, by_handle));
}

TEST_P(ProcessesContract, AnIdNoProcessHasDoesNotOpen) {
    ASSERT_NE(backend_.platform.processes, nullptr);
    std::vector<ProcessEntry> snap;
    ASSERT_TRUE(procs().snapshot(snap));
    uint32_t unused = 0x7FFFFFF0u;
    while (std::any_of(snap.begin(), snap.end(), [&](const ProcessEntry& e) { return e.pid == unused; })) unused -= 4;
    std::u16string path = u"stale";
    EXPECT_FALSE(procs().image_path(unused, path));
    EXPECT_TRUE(path.empty());
    EXPECT_EQ(procs().open(unused), nullptr);
}

TEST_P(ProcessesContract, ServicesCanBeListed) {
    ASSERT_NE(backend_.platform.processes, nullptr);
    std::vector<ServiceEntry> services;
    ASSERT_TRUE(procs().services(services));
    for (const auto& s : services) EXPECT_FALSE(s.name.empty());
}

#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(Backends, ProcessesContract, ::testing::Values("fake", "win32"));
#else
INSTANTIATE_TEST_SUITE_P(Backends, ProcessesContract, ::testing::Values("fake"));
#endif

}  // namespace
