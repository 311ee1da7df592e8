#pragma once
// One QApplication for a whole test program, with Qt's settings, data and
// runtime files in a folder of its own, so that no test reads or writes the
// user's. Register one with testing::AddGlobalTestEnvironment.

#include <gtest/gtest.h>

#include <QApplication>

#include <memory>

#include "tests/support/temp_dir.h"

namespace tlvx::test {

class QtApplicationEnvironment : public testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;

protected:
    // Runs with the private folder set up, before the application is made.
    virtual void prepare(const TempDir&) {}

private:
    int argc_ = 1;
    char name_[11] = "tlvx_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<TempDir> home_;
    std::unique_ptr<QApplication> app_;
};

}  // namespace tlvx::test
