#include "CfbTestSupport.h"

#include "CompoundStorage.h"

#include <gtest/gtest.h>

namespace {

using cfbtest::ChildProcess;
using cfbtest::Pattern;

const std::string kHold = WZ_BINARY_DIR "/bin/cfb_hold";

class CfbSharingTest : public ::testing::Test {
protected:
    void SetUp() override {
        file = (dir / "WinData.stg").string();
        ASSERT_EQ(cfbtest::BuildFile(file, {{"Images/Love1", Pattern(5000, 1)}}), 0);
    }
    cfbtest::ScratchDir dir;
    std::string file;
};

// The game's three read-only opens coexist, also across processes, and keep the editor's
// read-write open out for as long as any of them is held.
TEST_F(CfbSharingTest, ReadersShareAndKeepTheWriterOut) {
    ChildProcess a({kHold, file, "read"});
    ChildProcess b({kHold, file, "read"});
    ChildProcess c({kHold, file, "read"});
    ASSERT_EQ(a.ReadLine(), "held");
    ASSERT_EQ(b.ReadLine(), "held");
    ASSERT_EQ(c.ReadLine(), "held");
    {
        ChildProcess writer({kHold, file, "write"});
        EXPECT_EQ(writer.ReadLine(), "failed");
    }
    {
        ChildProcess creator({kHold, file, "create"});
        EXPECT_EQ(creator.ReadLine(), "failed");
    }
    a.Finish();
    b.Finish();
    ChildProcess writer({kHold, file, "write"});
    EXPECT_EQ(writer.ReadLine(), "failed") << "one reader is still there";
    writer.Finish();
    c.Finish();
    ChildProcess later({kHold, file, "write"});
    EXPECT_EQ(later.ReadLine(), "held");
    // The file was not touched by the refused create.
    later.Finish();
    cfbtest::Tree tree;
    ASSERT_EQ(cfbtest::ReadTree(file, tree), 0);
    EXPECT_EQ(tree["Images/Love1"], Pattern(5000, 1));
}

// While the editor holds the file for writing, every other open fails at once.
TEST_F(CfbSharingTest, WriterKeepsEveryoneOut) {
    ChildProcess writer({kHold, file, "write"});
    ASSERT_EQ(writer.ReadLine(), "held");
    for (const char* mode : {"read", "write", "create"}) {
        ChildProcess other({kHold, file, mode});
        EXPECT_EQ(other.ReadLine(), "failed") << mode;
    }
    wz::CompoundStorage here;
    EXPECT_FALSE(here.Open(file, true, false));
    writer.Finish();
    ChildProcess reader({kHold, file, "read"});
    EXPECT_EQ(reader.ReadLine(), "held");
}

} // namespace
