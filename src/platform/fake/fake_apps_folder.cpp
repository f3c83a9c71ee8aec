#include "platform/fake/fake_apps_folder.h"

#include <utility>

uint32_t FakeAppsFolder::enumerate(std::vector<PackagedApp>& out) {
    std::function<void()> hook;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++enumerations_;
        if (failure_) return failure_;
        out.insert(out.end(), apps_.begin(), apps_.end());
        hook = hook_;
    }
    if (hook) hook();
    return 0;
}

void FakeAppsFolder::destroy_icon(IconHandle icon) {
    if (!icon) return;
    std::lock_guard<std::mutex> lock(mutex_);
    destroyed_.push_back(icon);
}

void FakeAppsFolder::add(std::u16string name, std::u16string parsing_name) {
    std::lock_guard<std::mutex> lock(mutex_);
    apps_.push_back(PackagedApp{std::move(name), std::move(parsing_name)});
}

void FakeAppsFolder::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    apps_.clear();
}

void FakeAppsFolder::set_failure(uint32_t code) {
    std::lock_guard<std::mutex> lock(mutex_);
    failure_ = code;
}

void FakeAppsFolder::set_during_enumerate(std::function<void()> hook) {
    std::lock_guard<std::mutex> lock(mutex_);
    hook_ = std::move(hook);
}

std::vector<IconHandle> FakeAppsFolder::destroyed() {
    std::lock_guard<std::mutex> lock(mutex_);
    return destroyed_;
}

int FakeAppsFolder::enumerations() {
    std::lock_guard<std::mutex> lock(mutex_);
    return enumerations_;
}
