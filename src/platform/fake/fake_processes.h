// The fake machine's process table, service list and monitors. Tests add processes (with or
// without a readable image path, openable or not), replace one under the same id, and read which
// processes were ended.
#pragma once
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/display.h"
#include "platform/processes.h"

class FakeProcesses : public Processes {
public:
    struct Process {
        uint32_t pid = 0;
        std::u16string exe;         // the snapshot's file name
        std::u16string image;       // full path; empty: QueryFullProcessImageNameW fails
        bool openable = true;       // OpenProcess succeeds
        bool terminate_ok = true;   // TerminateProcess succeeds
        uint64_t serial = 0;        // which process object a handle holds
    };

    bool snapshot(std::vector<ProcessEntry>& out) override;
    bool image_path(uint32_t pid, std::u16string& out) override;
    std::unique_ptr<ProcessHandle> open(uint32_t pid) override;
    bool services(std::vector<ServiceEntry>& out) override;
    uint32_t current_pid() override { return self_pid_; }

    // Seeding. add replaces any process of the same id (the id was reused).
    void add(uint32_t pid, std::u16string_view exe, std::u16string_view image = {}, bool openable = true);
    void set_terminate_ok(uint32_t pid, bool ok);
    void add_service(uint32_t pid, std::u16string_view name);
    void set_self_pid(uint32_t pid) { self_pid_ = pid; }
    void clear();
    bool snapshot_fails = false;
    bool services_fail = false;

    // Inspection.
    bool alive(uint32_t pid);
    std::vector<uint32_t> ended();  // ids in the order they were ended
    size_t count();

private:
    friend class FakeProcessHandle;
    Process* by_serial(uint64_t serial);
    Process* by_pid(uint32_t pid);
    std::mutex mutex_;
    std::map<uint32_t, Process> table_;  // by id, as a snapshot lists them
    std::vector<ServiceEntry> services_;
    std::vector<uint32_t> ended_;
    uint64_t next_serial_ = 1;
    uint32_t self_pid_ = 7000;
};

class FakeDisplay : public Display {
public:
    FakeDisplay();
    void monitors(std::vector<DisplayMonitor>& out) override;

    // n monitors side by side, each 1920x1080 with a 40-pixel task bar, named \\.\DISPLAY1 and on;
    // the first is primary.
    void set_monitor_count(int n);
    std::vector<DisplayMonitor> list;
};
