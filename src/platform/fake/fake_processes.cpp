#include "platform/fake/fake_processes.h"

#include <algorithm>

#include "core/text.h"

class FakeProcessHandle : public ProcessHandle {
public:
    FakeProcessHandle(FakeProcesses* owner, uint64_t serial) : owner_(owner), serial_(serial) {}
    bool image_path(std::u16string& out) override {
        std::lock_guard<std::mutex> lock(owner_->mutex_);
        out.clear();
        const FakeProcesses::Process* p = owner_->by_serial(serial_);
        if (!p || p->image.empty()) return false;
        out = p->image;
        return true;
    }
    bool terminate(uint32_t) override {
        std::lock_guard<std::mutex> lock(owner_->mutex_);
        FakeProcesses::Process* p = owner_->by_serial(serial_);
        // Ending a process that has already ended succeeds, as it does on Windows.
        if (!p) return true;
        if (!p->terminate_ok) return false;
        uint32_t pid = p->pid;
        owner_->ended_.push_back(pid);
        owner_->table_.erase(pid);
        return true;
    }

private:
    FakeProcesses* owner_;
    uint64_t serial_;
};

FakeProcesses::Process* FakeProcesses::by_serial(uint64_t serial) {
    for (auto& [pid, p] : table_)
        if (p.serial == serial) return &p;
    return nullptr;
}

FakeProcesses::Process* FakeProcesses::by_pid(uint32_t pid) {
    auto it = table_.find(pid);
    return it == table_.end() ? nullptr : &it->second;
}

bool FakeProcesses::snapshot(std::vector<ProcessEntry>& out) {
    std::lock_guard<std::mutex> lock(mutex_);
    out.clear();
    if (snapshot_fails) return false;
    out.reserve(table_.size());
    for (const auto& [pid, p] : table_) out.push_back(ProcessEntry{pid, p.exe});
    return true;
}

bool FakeProcesses::image_path(uint32_t pid, std::u16string& out) {
    std::lock_guard<std::mutex> lock(mutex_);
    out.clear();
    const Process* p = by_pid(pid);
    if (!p || !p->openable || p->image.empty()) return false;
    out = p->image;
    return true;
}

std::unique_ptr<ProcessHandle> FakeProcesses::open(uint32_t pid) {
    std::lock_guard<std::mutex> lock(mutex_);
    const Process* p = by_pid(pid);
    if (!p || !p->openable) return nullptr;
    return std::make_unique<FakeProcessHandle>(this, p->serial);
}

bool FakeProcesses::services(std::vector<ServiceEntry>& out) {
    std::lock_guard<std::mutex> lock(mutex_);
    out.clear();
    if (services_fail) return false;
    out = services_;
    return true;
}

void FakeProcesses::add(uint32_t pid, std::u16string_view exe, std::u16string_view image, bool openable) {
    std::lock_guard<std::mutex> lock(mutex_);
    table_[pid] = Process{pid, std::u16string(exe), std::u16string(image), openable, true, next_serial_++};
}

void FakeProcesses::set_terminate_ok(uint32_t pid, bool ok) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (Process* p = by_pid(pid)) p->terminate_ok = ok;
}

void FakeProcesses::add_service(uint32_t pid, std::u16string_view name) {
    std::lock_guard<std::mutex> lock(mutex_);
    services_.push_back(ServiceEntry{pid, std::u16string(name)});
}

void FakeProcesses::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    table_.clear();
    services_.clear();
    ended_.clear();
}

bool FakeProcesses::alive(uint32_t pid) {
    std::lock_guard<std::mutex> lock(mutex_);
    return table_.count(pid) != 0;
}

std::vector<uint32_t> FakeProcesses::ended() {
    std::lock_guard<std::mutex> lock(mutex_);
    return ended_;
}

size_t FakeProcesses::count() {
    std::lock_guard<std::mutex> lock(mutex_);
    return table_.size();
}

FakeDisplay::FakeDisplay() { set_monitor_count(1); }

void FakeDisplay::monitors(std::vector<DisplayMonitor>& out) { out = list; }

void FakeDisplay::set_monitor_count(int n) {
    list.clear();
    for (int i = 0; i < n; ++i) {
        DisplayMonitor m;
        m.info_ok = true;
        m.primary = i == 0;
        std::string name = "\\\\.\\DISPLAY" + std::to_string(i + 1);
        m.device.assign(name.begin(), name.end());
        m.rect = DisplayRect{1920 * i, 0, 1920 * (i + 1), 1080};
        m.work = DisplayRect{1920 * i, 0, 1920 * (i + 1), 1040};
        m.dpi = 96;
        list.push_back(m);
    }
}
