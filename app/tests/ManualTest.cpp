// The manual shipped beside the program: every picture it shows is there as a
// small PNG, and the pictures and explanations a new surveyor needs are in it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string DOC = std::string(CORVANE_TEST_LAS_DIR) + "/../../doc/";

std::string Read(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

uint32_t BigEndian(const std::string &bytes, size_t at)
{
    return uint32_t(uint8_t(bytes[at])) << 24 | uint32_t(uint8_t(bytes[at + 1])) << 16 |
           uint32_t(uint8_t(bytes[at + 2])) << 8 | uint32_t(uint8_t(bytes[at + 3]));
}

} // namespace

TEST(ManualTest, EveryPictureIsASmallPngAndTheNeededOnesAreShown)
{
    const std::string manual = Read(DOC + "manual.html");
    ASSERT_FALSE(manual.empty()) << DOC + "manual.html";
    std::vector<std::string> shown;
    const std::regex image("<img src=\"([^\"]+)\"");
    for (auto it = std::sregex_iterator(manual.begin(), manual.end(), image); it != std::sregex_iterator(); ++it) {
        const std::string file = (*it)[1];
        shown.push_back(file);
        const std::string png = Read(DOC + file);
        ASSERT_GT(png.size(), 24u) << file << " is missing";
        EXPECT_EQ(png.substr(1, 3), "PNG") << file;
        EXPECT_LE(png.size(), 200u * 1024) << file;
        EXPECT_LE(BigEndian(png, 16), 1000u) << file << ": width";
    }
    for (const char *needed : {"images/section-view.png", "images/measure.png", "images/road-plan.png",
                               "images/road-profile.png", "images/export-dialog.png"})
        EXPECT_NE(std::find(shown.begin(), shown.end(), needed), shown.end()) << needed;
}

TEST(ManualTest, ExplainsTheAzimuthThePmFilesAndWalksThroughTheDemoData)
{
    const std::string manual = Read(DOC + "manual.html");
    for (const char *text : {"needs azimuth 34.4&deg;",
                             "HINTCAD5.83_PM_SHUJU_PM", "<code>NE</code>", "corvane-lasgen --out",
                             "corridor.pm", "walk.HDM"})
        EXPECT_NE(manual.find(text), std::string::npos) << text;
}

// The contents and the cross references lead somewhere: every "#name" the
// manual links to is the id of one of its parts, and no id is given twice.
TEST(ManualTest, EveryLinkInsideTheManualReachesAPart)
{
    const std::string manual = Read(DOC + "manual.html");
    std::vector<std::string> ids;
    const std::regex id(" id=\"([^\"]+)\"");
    for (auto it = std::sregex_iterator(manual.begin(), manual.end(), id); it != std::sregex_iterator(); ++it) {
        EXPECT_EQ(std::find(ids.begin(), ids.end(), (*it)[1].str()), ids.end()) << (*it)[1] << " is given twice";
        ids.push_back((*it)[1]);
    }
    const std::regex link("href=\"#([^\"]+)\"");
    int links = 0;
    for (auto it = std::sregex_iterator(manual.begin(), manual.end(), link); it != std::sregex_iterator(); ++it, ++links)
        EXPECT_NE(std::find(ids.begin(), ids.end(), (*it)[1].str()), ids.end()) << "#" << (*it)[1] << " leads nowhere";
    EXPECT_GT(links, 15);
}
