// Builds the chain the consolidation's tests copy. CTest runs it before them (PREPARE); run alone,
// the fixture builds the chain it lacks.
#include <filesystem>
#include <optional>
#include <string>

#include "platform/win/files.h"
#include "platform/win/registry.h"
#include "report/consolidation/tests/support/consolidation_fixture.h"

namespace report::consolidation::testing {
namespace {

using SharedTemplates = ChainTest;

// The template is complete, and the copy a test works in has the control library registered.
TEST_F(SharedTemplates, ConsolidationChain) {
    EXPECT_TRUE(std::filesystem::exists(TemplateRoot() / "complete")) << TemplateRoot();
    EXPECT_TRUE(win::FileExists("C:\\REPORT\\BACKUP.MDB"));
#ifdef ZMTEXT_OCX_PATH
    EXPECT_TRUE(win::registry::QueryString(win::RootKey::ClassesRoot, "ZMTEXT.ZMTextCtrl.1\\CLSID", "").has_value());
#endif
}

}  // namespace
}  // namespace report::consolidation::testing
