#include "platform/fake/fake_apps_folder.h"

#include <utility>

#include "core/text.h"

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

uint32_t FakeAppsFolder::package_path(std::u16string_view family, std::u16string& out) {
    std::lock_guard<std::mutex> lock(mutex_);
    out.clear();
    for (const auto& [f, folder] : packages_)
        if (text_equal_ci(f, family)) {
            out = folder;
            return 0;
        }
    return 1168;  // ERROR_NOT_FOUND
}

void FakeAppsFolder::add_package(std::u16string family, std::u16string folder) {
    std::lock_guard<std::mutex> lock(mutex_);
    packages_.emplace_back(std::move(family), std::move(folder));
}
