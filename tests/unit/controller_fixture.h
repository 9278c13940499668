// A controller on the fake shell with the default settings; a test's SetUp changes what it needs
// and then creates the controller window.
#pragma once
#include <gtest/gtest.h>

#include "controller.h"
#include "fake_profile.h"
#include "fake_shell.h"

namespace zep {

class ControllerFixture : public ::testing::Test {
protected:
    FakeShell shell;
    Settings settings = DefaultSettings();
    Controller controller{shell, settings};

    static Settings DefaultSettings() {
        FakeProfile file;
        return SettingsStore(file, TestEnvironment()).Defaults();
    }
};

}  // namespace zep
