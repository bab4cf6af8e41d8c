// Opening the section view shows the tool strip over it without the toolkit
// complaining about the strip's sliders on the standard error.  Needs a
// display (run under Xvfb).
#include "FrameTestSupport.h"

#include "SectionToolDialog.h"
#include "temp_dir.h"

#include <fcntl.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

using namespace frametest;

namespace {

using SectionStripWarningsTest = FrameTest;

// What the process writes to its standard error while `run` runs.
std::string StandardErrorOf(const std::function<void()> &run, const std::string &file)
{
    fflush(stderr);
    const int saved = dup(2);
    const int capture = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(capture, 2);
    close(capture);
    run();
    fflush(stderr);
    dup2(saved, 2);
    close(saved);
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

TEST_F(SectionStripWarningsTest, ShowingTheStripOverTheSectionViewWarnsOfNothing)
{
    TempDir dir;
    const std::string said = StandardErrorOf(
        [this] {
            frame->GetAuiManager()->GetPane(frame->GetSectionCanvas()).Show();
            frame->GetAuiManager()->Update();
            PumpWithIdleFor(200);
            frame->ShowSectionTool(true);
            PumpWithIdleFor(500);
        },
        dir.file("stderr.txt"));
    ASSERT_NE(frame->GetSectionTool(), nullptr);
    EXPECT_TRUE(frame->GetSectionTool()->IsShown());
    EXPECT_EQ(said.find("Negative content height"), std::string::npos) << said;
}
