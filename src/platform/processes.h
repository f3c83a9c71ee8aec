// Running processes and services: tool-help snapshots, the image path of a process, opening one
// process to check and end it on the same handle, and the services with their process ids.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// One entry of a process snapshot (PROCESSENTRY32W): its id and executable file name.
struct ProcessEntry {
    uint32_t pid = 0;
    std::u16string exe;
};

// One running service (ENUM_SERVICE_STATUS_PROCESSW): its process id and service name.
struct ServiceEntry {
    uint32_t pid = 0;
    std::u16string name;
};

// A process opened with PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION. While it is held
// the id cannot be given to another process, so what image_path reports is what terminate ends.
class ProcessHandle {
public:
    virtual ~ProcessHandle() = default;
    // QueryFullProcessImageNameW on this handle; false when the path cannot be read.
    virtual bool image_path(std::u16string& out) = 0;
    // TerminateProcess with the exit code; true on success.
    virtual bool terminate(uint32_t exit_code) = 0;
};

class Processes {
public:
    virtual ~Processes() = default;
    // CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS) walked with Process32FirstW/NextW; false when no
    // snapshot can be taken.
    virtual bool snapshot(std::vector<ProcessEntry>& out) = 0;
    // The full image path of a process opened for PROCESS_QUERY_LIMITED_INFORMATION; false when it
    // cannot be opened or read.
    virtual bool image_path(uint32_t pid, std::u16string& out) = 0;
    // Opens the process for checking and ending it; null when it cannot be opened.
    virtual std::unique_ptr<ProcessHandle> open(uint32_t pid) = 0;
    // Every Win32 service in any state (EnumServicesStatusExW, SC_ENUM_PROCESS_INFO), all pages of
    // the enumeration; false when the service manager cannot be asked.
    virtual bool services(std::vector<ServiceEntry>& out) = 0;
    // GetCurrentProcessId.
    virtual uint32_t current_pid() = 0;
};
