// A controller on the fake shell with the default settings; a test's SetUp changes what it needs
// and then creates the controller window.
#pragma once
#include <gtest/gtest.h>

#include "controller.h"
#include "fake_profile.h"
#include "fake_shell.h"

namespace zep {

// The tests set up the controller's state and menus directly.
struct ControllerTestAccess {
    static ControllerState& State(Controller& c) { return c.state_; }
    static TrayMenus& Menus(Controller& c) { return c.menus_; }
};

class ControllerFixture : public ::testing::Test {
protected:
    FakeShell shell;
    Settings settings = DefaultSettings();
    Controller controller{shell, settings};

    ControllerFixture() {
        shell.postNotice = [this](int32_t n) { controller.OnLibraryNotify(static_cast<uint32_t>(n), 0); };
        shell.routerAddressShown = [this] { return settings.IPAddress; };
    }

    ControllerState& state() { return ControllerTestAccess::State(controller); }
    TrayMenus& menus() { return ControllerTestAccess::Menus(controller); }

    static Settings DefaultSettings() {
        FakeProfile file;
        return SettingsStore(file, TestEnvironment()).Defaults();
    }
};

}  // namespace zep
