// programs_list_test.cpp — adding the savers to ~/.xscreensaver's programs:
// list and taking them out: only their own lines change.
#include "programs_list.h"
#include "param_name.h"

#include <gtest/gtest.h>

#include <ostream>

namespace savers::registration {
namespace {

const std::vector<Saver> kSavers = {{"Halcyon", "/usr/libexec/xscreensaver/halcyon -s"},
                                    {"Tessera", "/usr/libexec/xscreensaver/tessera"}};
const std::string kHalcyonLine = "  \"Halcyon\"\t\t/usr/libexec/xscreensaver/halcyon -s\t\t\t    \\n\\\n";
const std::string kTesseraLine = "  \"Tessera\"\t\t/usr/libexec/xscreensaver/tessera\t\t\t    \\n\\\n";
// The same lines ending the list (no continuing backslash).
std::string Last(const std::string& line) {
  return line.substr(0, line.size() - 2) + "\n";
}

// As XScreenSaver writes it: other resources around, one entry per line.
const std::string kBefore = "# XScreenSaver Preferences File\nmode:\t\trandom\ntextLiteral:\tXScreenSaver\n";
const std::string kListHead = "programs:\t\t\t\t\t\t\t      \\\n";
const std::string kListBody =
    "\t\t\t\tmaze -root\t\t\t\t    \\n\\\n"
    "- GL: \t\t\t\tsuperquadrics -root\t\t\t    \\n\\\n"
    "  \"Qix (solid)\" \t\tqix -root -solid -segments 100\t    \\n\\\n"
    "\t\t\t\txanalogtv -root\t\t\t\t    \\n\n";
const std::string kAfter = "\n\npointerHysteresis: 10\n";

struct AddCase {
  const char* name;
  std::string file;
  std::string expected;  // empty: unchanged
  std::vector<std::string> added;
};

void PrintTo(const AddCase& c, std::ostream* out) {
  *out << c.name;
}

class Add : public ::testing::TestWithParam<AddCase> {};

TEST_P(Add, InsertsOnlyMissingSaversAndRemoveUndoesIt) {
  const AddCase& c = GetParam();
  const Edit edit = AddSavers(c.file, kSavers);
  EXPECT_EQ(edit.error, "");
  EXPECT_EQ(edit.text, c.expected.empty() ? c.file : c.expected);
  EXPECT_EQ(edit.names, c.added);
  // Adding again changes nothing.
  const Edit again = AddSavers(edit.text, kSavers);
  EXPECT_TRUE(again.names.empty());
  EXPECT_EQ(again.text, edit.text);
}

INSTANTIATE_TEST_SUITE_P(
    Files, Add,
    ::testing::Values(
        AddCase{"AfterTheProgramsLine",
                kBefore + kListHead + kListBody + kAfter,
                kBefore + kListHead + kHalcyonLine + kTesseraLine + kListBody + kAfter,
                {"halcyon", "tessera"}},
        AddCase{"OnlyTheMissingOne",
                kListHead + "-\t\t\"Halcyon\" /opt/savers/halcyon -s \\n\\\n" + kListBody,
                kListHead + kTesseraLine + "-\t\t\"Halcyon\" /opt/savers/halcyon -s \\n\\\n" + kListBody,
                {"tessera"}},
        AddCase{"BothThereAlready", kListHead + "  halcyon -s \\n\\\n GL: 'tessera' -root \\n\n", "", {}},
        AddCase{"AfterAListOnOneLine",
                "programs: maze -root\n",
                "programs: maze -root \\n\\\n" + kHalcyonLine + Last(kTesseraLine),
                {"halcyon", "tessera"}},
        AddCase{"AfterTheLastLine",
                "programs: maze -root \\n\\\n  qix \\n\nx: 1",
                "programs: maze -root \\n\\\n  qix \\n\\\n" + kHalcyonLine + Last(kTesseraLine) + "x: 1",
                {"halcyon", "tessera"}},
        AddCase{"IntoAnEmptyList",
                "programs:\n",
                "programs:\\\n" + kHalcyonLine + Last(kTesseraLine),
                {"halcyon", "tessera"}},
        AddCase{"FileWithoutFinalNewline",
                kListHead + "  maze \\n",
                kListHead + kHalcyonLine + kTesseraLine + "  maze \\n",
                {"halcyon", "tessera"}},
        // A line that continues another resource is not the list.
        AddCase{"NotAContinuedLine",
                "textLiteral: a\\\nprograms: b\nprograms:\n",
                "textLiteral: a\\\nprograms: b\nprograms:\\\n" + kHalcyonLine + Last(kTesseraLine),
                {"halcyon", "tessera"}},
        AddCase{"StarredResource",
                "*programs:\t\\\n  maze \\n\n",
                "*programs:\t\\\n" + kHalcyonLine + kTesseraLine + "  maze \\n\n",
                {"halcyon", "tessera"}}),
    [](const ::testing::TestParamInfo<AddCase>& info) { return std::string(info.param.name); });

TEST(Add, WithoutAListTheFileIsLeftAlone) {
  for (const std::string& file :
       {std::string(), std::string("mode: random\n"), std::string("# programs:\n")}) {
    const Edit edit = AddSavers(file, kSavers);
    EXPECT_NE(edit.error, "") << file;
    EXPECT_EQ(edit.text, file);
    EXPECT_TRUE(edit.names.empty());
  }
}

struct RemoveCase {
  const char* name;
  std::string file;
  std::string expected;  // empty: unchanged
  std::vector<std::string> removed;
  bool error;
};

void PrintTo(const RemoveCase& c, std::ostream* out) {
  *out << c.name;
}

class Remove : public ::testing::TestWithParam<RemoveCase> {};

TEST_P(Remove, TakesOutTheSaversOwnLines) {
  const RemoveCase& c = GetParam();
  const Edit edit = RemoveSavers(c.file, {"halcyon", "tessera"});
  EXPECT_EQ(!edit.error.empty(), c.error) << edit.error;
  EXPECT_EQ(edit.text, c.expected.empty() ? c.file : c.expected);
  EXPECT_EQ(edit.names, c.removed);
}

INSTANTIATE_TEST_SUITE_P(
    Files, Remove,
    ::testing::Values(
        RemoveCase{"WhatAddWrote",
                   kBefore + kListHead + kHalcyonLine + kTesseraLine + kListBody + kAfter,
                   kBefore + kListHead + kListBody + kAfter,
                   {"halcyon", "tessera"},
                   false},
        RemoveCase{
            "SwitchedOffAndByHand",
            kListHead + "- GL:\t\"Mine\" halcyon /s \\n\\\n  maze \\n\\\n  '/opt/my savers/tessera' \\n\n",
            kListHead + "  maze \\n\n",
            {"halcyon", "tessera"},
            false},
        RemoveCase{"LastLineGoesWithItsBackslash",
                   "programs: maze -root \\n\\\n" + kHalcyonLine + Last(kTesseraLine) + "x: 1\n",
                   "programs: maze -root \\n\nx: 1\n",
                   {"halcyon", "tessera"},
                   false},
        RemoveCase{"NotThere", kListHead + kListBody, "", {}, false},
        RemoveCase{"NoList", "mode: random\n", "", {}, false},
        RemoveCase{"SharedLineIsLeftToTheUser",
                   kListHead + "  maze \\n  halcyon -s \\n\\\n  qix \\n\n",
                   "",
                   {},
                   true},
        RemoveCase{"OnTheProgramsLine", "programs: halcyon -s \\n\\\n  maze \\n\n", "", {}, true},
        RemoveCase{
            "SimilarNamesStay", kListHead + "  halcyon2 -s \\n\\\n  /x/tessera.sh \\n\n", "", {}, false}),
    [](const ::testing::TestParamInfo<RemoveCase>& info) { return std::string(info.param.name); });

struct ProgramCase {
  const char* entry;
  const char* program;
};

class Entry : public ::testing::TestWithParam<ProgramCase> {};

TEST_P(Entry, ProgramIsTheCommandsFirstWordsFileName) {
  EXPECT_EQ(EntryProgram(GetParam().entry), GetParam().program) << GetParam().entry;
}

INSTANTIATE_TEST_SUITE_P(
    Entries, Entry,
    ::testing::Values(ProgramCase{"\t\tmaze -root\t", "maze"},
                      ProgramCase{"- GL: \"Gears (fast)\" /usr/bin/gears -root", "gears"},
                      ProgramCase{"  default-n:  halcyon -s", "halcyon"},
                      ProgramCase{"-\t'/opt/my savers/tessera'", "tessera"},
                      ProgramCase{"  \"Label only", ""}, ProgramCase{"   ", ""}, ProgramCase{"GL:", ""}),
    [](const auto& info) { return test_support::TestName(info.param.entry, info.index); });

}  // namespace
}  // namespace savers::registration
