// The backends the contract tests run against, each with a fresh sandbox folder.
#pragma once
#include <memory>
#include <string>

#include "platform/platform.h"

struct ContractBackend {
    Platform platform;
    std::u16string sandbox;  // an empty folder for this test, removed afterwards
    std::shared_ptr<void> owner;
};

bool contract_backend_open(const std::string& name, ContractBackend& out);
void contract_backend_close(ContractBackend& b);
