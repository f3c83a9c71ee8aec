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
        auto& t = owner_->table_;
        auto it = std::find_if(t.begin(), t.end(), [&](const FakeProcesses::Process& p) { return p.serial == serial_; });
        // Ending a process that has already ended succeeds, as it does on Windows.
        if (it == t.end()) return true;
        if (!it->terminate_ok) return false;
        owner_->ended_.push_back(it->pid);
        t.erase(it);
        return true;
    }

private:
    FakeProcesses* owner_;
    uint64_t serial_;
};

FakeProcesses::Process* FakeProcesses::by_serial(uint64_t serial) {
    for (auto& p : table_)
        if (p.serial == serial) return &p;
    return nullptr;
}

bool FakeProcesses::snapshot(std::vector<ProcessEntry>& out) {
    std::lock_guard<std::mutex> lock(mutex_);
    out.clear();
    if (snapshot_fails) return false;
    out.reserve(table_.size());
    for (const auto& p : table_) out.push_back(ProcessEntry{p.pid, p.exe});
    return true;
}

bool FakeProcesses::image_path(uint32_t pid, std::u16string& out) {
    std::lock_guard<std::mutex> lock(mutex_);
    out.clear();
    for (const auto& p : table_) {
        if (p.pid != pid) continue;
        if (!p.openable || p.image.empty()) return false;
        out = p.image;
        return true;
    }
    return false;
}

std::unique_ptr<ProcessHandle> FakeProcesses::open(uint32_t pid) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& p : table_) {
        if (p.pid == pid && p.openable) return std::make_unique<FakeProcessHandle>(this, p.serial);
    }
    return nullptr;
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
    Process p{pid, std::u16string(exe), std::u16string(image), openable, true, next_serial_++};
    for (auto& q : table_) {
        if (q.pid == pid) {
            q = p;
            return;
        }
    }
    table_.push_back(p);
}

void FakeProcesses::set_terminate_ok(uint32_t pid, bool ok) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto& p : table_)
        if (p.pid == pid) p.terminate_ok = ok;
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
    return std::any_of(table_.begin(), table_.end(), [&](const Process& p) { return p.pid == pid; });
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
