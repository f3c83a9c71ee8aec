// The backends the contract tests run against, each with a fresh sandbox folder.
#pragma once
#include <gtest/gtest.h>

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

// A contract fixture over one backend (the test's parameter), installed for the length of the test.
class BackendContract : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        if (!contract_backend_open(GetParam(), backend_)) GTEST_SKIP() << GetParam() << " is not available here";
        scope_ = std::make_unique<PlatformScope>(backend_.platform);
    }
    void TearDown() override {
        scope_.reset();
        contract_backend_close(backend_);
    }

    ContractBackend backend_;
    std::unique_ptr<PlatformScope> scope_;
};
