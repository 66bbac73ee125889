// The rules of the File menu's "Recent" list, without the menu: newest first, no entry twice,
// at most eight, and what an action opened.
#include <gtest/gtest.h>

#include "controller/recentfiles.h"

using namespace vezedo;
using controller::RecentFile;

namespace {

RecentFile tps(const std::string& name)
{
    return {"LoadFile1", {"/data/" + name}};
}

std::vector<RecentFile> listOf(int count)
{
    std::vector<RecentFile> list;
    for (int i = 1; i <= count; ++i)
        list = controller::addRecentFile(std::move(list), tps(std::to_string(i) + ".tps"));
    return list;
}

}  // namespace

TEST(RecentFiles, TheNewestComesFirst)
{
    EXPECT_EQ(listOf(3), (std::vector<RecentFile>{tps("3.tps"), tps("2.tps"), tps("1.tps")}));
}

TEST(RecentFiles, AnEntryOpenedAgainMovesToTheFrontAndIsNotRepeated)
{
    const auto list = controller::addRecentFile(listOf(3), tps("1.tps"));
    EXPECT_EQ(list, (std::vector<RecentFile>{tps("1.tps"), tps("3.tps"), tps("2.tps")}));
}

TEST(RecentFiles, TheSameFileThroughAnotherActionIsAnotherEntry)
{
    const auto list = controller::addRecentFile(listOf(1), {"LoadLandmarks", {"/data/1.tps"}});
    EXPECT_EQ(list.size(), 2u);
}

TEST(RecentFiles, AtMostEightStayAndTheOldestGoes)
{
    const auto list = listOf(11);
    ASSERT_EQ(list.size(), 8u);
    EXPECT_EQ(list.front(), tps("11.tps"));
    EXPECT_EQ(list.back(), tps("4.tps"));
}

struct Stored {
    const char* name;
    std::string text;
    std::optional<RecentFile> entry;
};

class RecentFileTexts : public ::testing::TestWithParam<Stored> {};

TEST_P(RecentFileTexts, ReadBackAsTheyWereKeptOrAreDropped)
{
    EXPECT_EQ(controller::parseRecentFile(GetParam().text), GetParam().entry);
    if (GetParam().entry) {
        EXPECT_EQ(controller::recentFileText(*GetParam().entry), GetParam().text);
    }
}

INSTANTIATE_TEST_SUITE_P(
    RecentFiles, RecentFileTexts,
    ::testing::Values(Stored{"project", "OpenProject\n/w/skulls.vz6", RecentFile{"OpenProject", {"/w/skulls.vz6"}}},
                      Stored{"several_landmark_files", "LoadLandmarks\n/w/a.mrk.json\n/w/b.mrk.json",
                             RecentFile{"LoadLandmarks", {"/w/a.mrk.json", "/w/b.mrk.json"}}},
                      Stored{"table", "LoadFileIMP\n/w/cs.txt", RecentFile{"LoadFileIMP", {"/w/cs.txt"}}},
                      Stored{"an_action_that_opens_nothing", "SaveLengths\n/w/x.txt", std::nullopt},
                      Stored{"no_path", "LoadFile1", std::nullopt},
                      Stored{"two_files_for_a_one_file_load", "LoadFile1\n/a.tps\n/b.tps", std::nullopt},
                      Stored{"empty", "", std::nullopt}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(RecentFiles, LabelsNameTheFileTheCountOfMoreAndProjects)
{
    EXPECT_EQ(controller::recentFileLabel(tps("skulls.tps")), "skulls.tps");
    EXPECT_EQ(controller::recentFileLabel({"LoadLandmarks", {"/w/a.mrk.json", "/w/b.mrk.json", "/w/c.mrk.json"}}),
              "a.mrk.json and 2 more");
    EXPECT_EQ(controller::recentFileLabel({"OpenProject", {"/w/work.vz6"}}), "work.vz6 (project)");
}

TEST(RecentFiles, WhatASessionOpenedIsTheProjectBeforeTheLoadItDid)
{
    session::Session s;
    const controller::OpenedMark nothing = controller::openedMark(s);
    EXPECT_EQ(controller::recentlyOpened(nothing, s), std::nullopt);

    s.sources.specimens = session::SourceFiles{session::SourceFiles::Reader::Landmarks, {"/w/a.pp", "/w/b.pp"}, false};
    s.revisions.specimens = s.revisions.next();
    EXPECT_EQ(controller::recentlyOpened(nothing, s), (RecentFile{"LoadLandmarks", {"/w/a.pp", "/w/b.pp"}}));

    const controller::OpenedMark loaded = controller::openedMark(s);
    s.revisions.specimens = s.revisions.next();
    s.project = "/w/work.vz6";
    s.revisions.savedProject = s.revisions.projectMark();
    EXPECT_EQ(controller::recentlyOpened(loaded, s), (RecentFile{"OpenProject", {"/w/work.vz6"}}));
    EXPECT_EQ(controller::recentlyOpened(controller::openedMark(s), s), std::nullopt);
}
