// The application object: the help file's path and the defaults store's lifetime.
#include <gtest/gtest.h>

#include "platform/win/registry.h"
#include "platform/win/testing/temp_machine_root.h"
#include "zmtext/module/app.h"
#include "zmtext/module/defaults_store.h"
#include "zmtext/module/strings.h"

namespace zmtext {
namespace {

class Application : public ::testing::Test {
protected:
    // The folder of the file that holds this code (here the test program).
    static std::string OwnFolder() {
        const std::string path = ZMModulePath();
        return path.substr(0, path.rfind('\\'));
    }

    win::testing::TempMachineRoot root_;
};

TEST_F(Application, HelpFilePathFromTheKeyElseBesideTheLibrary) {
    {
        CZMTextApp app;
        ASSERT_TRUE(app.InitInstance());
        EXPECT_EQ(ZMHelpFilePath(), OwnFolder() + "\\Help\\ZMTEXT.HLP");
    }
    win::registry::SetValue(win::RootKey::ClassesRoot, "Software\\Halvern\\Tallmark\\HelpDirectory", "",
                            std::string("F:\\SISTEMA\\AJUDA"));
    CZMTextApp app;
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(ZMHelpFilePath(), "F:\\SISTEMA\\AJUDA\\ZMTEXT.HLP");
    EXPECT_EQ(ZMGetHelpDirectory(), "F:\\SISTEMA\\AJUDA");
}

TEST_F(Application, DefaultsStoreLivesFromStartUpToShutDown) {
    EXPECT_EQ(ZMDefaults(), nullptr);
    {
        CZMTextApp app;
        EXPECT_EQ(ZMDefaults(), nullptr);
        ASSERT_TRUE(app.InitInstance());
        ASSERT_NE(ZMDefaults(), nullptr);
        EXPECT_EQ(ZMDefaults()->FileName(), "VX4WIN.INI");
        app.ExitInstance();
        EXPECT_EQ(ZMDefaults(), nullptr);
        app.ExitInstance();   // a second shut-down is harmless
    }
    {
        CZMTextApp app;
        ASSERT_TRUE(app.InitInstance());
    }
    EXPECT_EQ(ZMDefaults(), nullptr) << "unloading ends the store";
}

TEST_F(Application, FailedClassLibraryStartUpLeavesNoDefaultsStore) {
    CZMTextApp app([] { return false; });
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(ZMDefaults(), nullptr);
    EXPECT_FALSE(ZMHelpFilePath().empty()) << "the help path is set before the start-up runs";
}

TEST(StringTable, LoadsCutToTheBufferAndReportsAbsentIds) {
    EXPECT_EQ(ZMLoadString(114, 13), "VX4WIN.INI");
    EXPECT_EQ(ZMLoadString(162, 6), "ZMLab");
    EXPECT_EQ(ZMLoadString(13), "Halvern Label Control");
    EXPECT_EQ(ZMLoadString(114, 0), std::nullopt);
    EXPECT_EQ(ZMLoadString(19), std::nullopt);
    EXPECT_EQ(ZMResources().LoadString(239), "Halvern Date Values Property Page") << "one table for the controls too";
}

}  // namespace
}  // namespace zmtext
