// The Applications folder of the fake machine: the packaged apps a test seeds, a failure switch,
// a hook that runs in the middle of an enumeration, and a record of destroyed icons.
#pragma once
#include <functional>
#include <mutex>
#include <vector>

#include "platform/apps_folder.h"

class FakeAppsFolder : public AppsFolder {
public:
    uint32_t enumerate(std::vector<PackagedApp>& out) override;
    void destroy_icon(IconHandle icon) override;
    uint32_t package_path(std::u16string_view family, std::u16string& out) override;

    void add(std::u16string name, std::u16string parsing_name);
    void clear();
    // Non-zero: enumerate fails with that code before listing anything.
    void set_failure(uint32_t code);
    // Called on the enumerating thread after the items are listed and before enumerate returns.
    void set_during_enumerate(std::function<void()> hook);
    // Icons passed to destroy_icon, in order.
    std::vector<IconHandle> destroyed();
    int enumerations();
    // An installed package: its family (compared ignoring case) and install folder.
    void add_package(std::u16string family, std::u16string folder);

private:
    std::mutex mutex_;
    std::vector<PackagedApp> apps_;
    std::vector<std::pair<std::u16string, std::u16string>> packages_;
    std::vector<IconHandle> destroyed_;
    std::function<void()> hook_;
    uint32_t failure_ = 0;
    int enumerations_ = 0;
};
