#pragma once

#include "DesktopControl.h"
#include "TestDesktop.h"

#include <gtest/gtest.h>

#include <memory>

namespace tavrilux::testdesktop {

// Base of end-to-end tests: each test gets a desktop of its own (started in SetUp, stopped in
// TearDown, also when the test failed), so test processes run in parallel without sharing.
class TestDesktopFixture : public ::testing::Test {
protected:
    virtual TestDesktop::Options desktopOptions() const { return {}; }

    void SetUp() override {
        desktop = std::make_unique<TestDesktop>(desktopOptions());
        control = std::make_unique<DesktopControl>(desktop->display());
    }
    void TearDown() override {
        control.reset();
        desktop.reset();
    }

    // Starts a client and waits until the window manager manages its windows.
    TestDesktop::Client startManagedClient(const std::vector<std::string>& args) {
        auto client = desktop->startClient(args);
        if (!desktopOptions().bare) {
            EXPECT_TRUE(control->waitForManaged(client.windows));
        }
        return client;
    }
    xcb_connection_t* c() const { return control->connection(); }

    std::unique_ptr<TestDesktop> desktop;
    std::unique_ptr<DesktopControl> control;
};

} // namespace tavrilux::testdesktop
