// The order in which the outputs of a command or of the dialogue are compared.
#include "files/output_set.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace ascent
