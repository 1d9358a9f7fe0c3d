// A test fixture with a relocated root of its own: the Windows folder made, a registry on its
// hives and a host over both; the root is removed with everything in it after the test.
#pragma once

#include "host/Host.h"
#include "platform/Locations.h"
#include "platform/Registry.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

class HostRootTest : public testing::Test {
protected:
    explicit HostRootTest(const std::string& tag) : m_folder(tag) {}

    void SetUp() override
    {
        ASSERT_FALSE(root.empty());
        locations = plat::Locations::underRoot(root);
        ASSERT_TRUE(plat::makeFolders(locations.windowsFolder));
        registry = std::make_unique<plat::Registry>(locations.userHive, locations.machineHive);
        hostObj = std::make_unique<host::Host>(*registry, locations);
    }

    testsupport::TempFolder m_folder;
    std::string root = m_folder.path();
    plat::Locations locations;
    std::unique_ptr<plat::Registry> registry;
    std::unique_ptr<host::Host> hostObj;
};
