// The order in which the outputs of a command or of the dialogue are compared.
#include "files/output_set.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "ascent/errors.h"
#include "support/test_support.h"

namespace ascent {
namespace {

TEST(OutputSet, EachOutputIsComparedWithEveryInputThenWithTheLaterOutputs) {
  struct Entry {
    bool output;
    const char* name;
    const char* role;
  };
  const struct {
    std::vector<Entry> entries;
    std::string clash;
  } cases[] = {
      {{{true, "a1", "the CSV file"}, {false, "b1", "the thrust file"}}, ""},
      {{{true, "a1", "the CSV file"}, {true, "a2", "the chart"}, {false, "a3", "the thrust file"}},
       "the CSV file a1 is the thrust file a3"},
      {{{true, "a1", "the CSV file"}, {true, "b1", "the chart"}, {true, "b2", "the manifest"}},
       "the manifest b2 is the chart b1"},
      {{{true, "a1", "the CSV file"}, {true, "b1", "the chart"}, {false, "b2", "the thrust file"}},
       "the chart b1 is the thrust file b2"},
  };
  for (const auto& c : cases) {
    // Names are one file when they begin with the same letter.
    OutputSet set([](const std::string& x, const std::string& y) { return x[0] == y[0]; });
    for (const Entry& e : c.entries)
      e.output ? set.output(e.name, e.role) : set.input(e.name, e.role);
    EXPECT_EQ(set.clash(), c.clash);
  }
}

// A fixed name replaced is the file at that name: a link there leads nowhere,
// yet it is the name of an input read through it.
TEST(OutputSet, ANameReplacedIsTheNameItselfNotWhereALinkThereLeads) {
  testing::TempDir dir;
  testing::writeFile(dir / "in", "input");
  std::filesystem::create_symlink("in", dir / "link");
  std::filesystem::create_symlink("new", dir / "dangling");
  const struct {
    const char *output, *other;
    bool otherIsInput, otherReplaces, clash;
  } cases[] = {
      {"link", "in", true, false, false},  {"in", "link", true, false, true},
      {"link", "link", true, false, true}, {"new", "dangling", false, false, true},
      {"link", "in", false, true, false},  {"link", "link", false, true, true},
  };
  for (const auto& c : cases) {
    OutputSet set;
    const std::string other = (dir / c.other).string();
    c.otherIsInput
        ? set.input(other, "the input")
        : set.output(other, "the other",
                     c.otherReplaces ? Placement::replacingName : Placement::throughLinks);
    set.output((dir / c.output).string(), "the chart", Placement::replacingName);
    EXPECT_EQ(set.firstClash().has_value(), c.clash) << c.output << " " << c.other;
  }
}

TEST(OutputFolder, ReplacesWhatIsPlantedAndRemovesTheFoldersItMadeUnlessCommitted) {
  testing::TempDir dir;
  testing::writeFile(dir / "keep", "kept");
  std::filesystem::create_directory(dir / "p");
  std::filesystem::create_symlink("../keep", dir / "p/a.png");
  ASSERT_EQ(::mkfifo((dir / "p/b.png").c_str(), 0600), 0);
  const char* const names[] = {"a.png", "b.png"};
  {
    OutputFolder folder((dir / "p").string(), names);
    for (std::size_t i = 0; i < folder.size(); ++i) folder.file(i).write(names[i]);
    folder.commit();
  }
  EXPECT_EQ(testing::readFile(dir / "keep"), "kept");
  EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(dir / "p/a.png")));
  EXPECT_EQ(testing::readFile(dir / "p/b.png"), "b.png");
  { OutputFolder unused((dir / "q/r").string(), names); }
  EXPECT_FALSE(std::filesystem::exists(dir / "q"));
  try {
    OutputFolder inAFile((dir / "keep/s").string(), names);
    ADD_FAILURE() << "a folder in a file";
  } catch (const Error& error) {
    EXPECT_EQ(std::string(error.what()),
              "cannot create the directory " + (dir / "keep/s").string() + ": Not a directory");
  }
}

}  // namespace
}  // namespace ascent
