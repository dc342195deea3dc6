// Results written out, as every writer of the program writes them: a value
// tree as one line of JSON, the rows of a schema as CSV, and a file that is
// complete or absent.
//
// JSON and CSV iterate a result's schema (ascent/schema.h), so a column has
// the name its field has in JSON and in Python; numbers are in their
// shortest exact form and read back to the same double.
//
//   ascent::OutputFile out("summary.json");
//   out.write(ascent::jsonText(ascent::campaignSummaryValue(summary, manifest)) + "\n");
//   out.commit();  // renamed into place; without it the old file stays
#pragma once

#include <string>
#include <string_view>

#include "ascent/schema.h"

namespace ascent {

// One line without its end, non-finite reals as null. Invalid UTF-8 in a
// text (a thrust-file token in a failure reason) is replaced, not refused.
std::string jsonText(const Value& value);

// One cell: nothing for null and non-finite reals, a real in its shortest
// exact form, a text quoted (its quotes doubled) when it holds a comma, a
// quote or a line end.
void appendCsvCell(std::string& line, const Value& value);

// "name,name,...\n".
template <class Row>
std::string csvHeader(Schema<Row> schema) {
  std::string header;
  for (const Field<Row>& field : schema) {
    if (!header.empty()) header += ',';
    header += field.info.name;
  }
  return header + '\n';
}

// One line with its end, appended to `out` (a writer's buffer).
template <class Row>
void appendCsvLine(std::string& out, Schema<Row> schema, const Row& row) {
  bool first = true;
  for (const Field<Row>& field : schema) {
    if (!first) out += ',';
    first = false;
    appendCsvCell(out, field.get(row));
  }
  out += '\n';
}

// One line, with its end.
template <class Row>
std::string csvLine(Schema<Row> schema, const Row& row) {
  std::string line;
  appendCsvLine(line, schema, row);
  return line;
}

// How an output reaches its file.
enum class Placement {
  // A name the user typed: written into the file its links lead to, which
  // keeps its place (and, when it is a FIFO or a device, is written in place).
  throughLinks,
  // A fixed name the program chose inside a folder: the new file takes the
  // name itself, replacing a link, a file or a FIFO planted there unread.
  replacingName,
};

// An output file written through a temporary file in its directory. The
// temporary file is created by the constructor (so an output that cannot be
// created is found before any work), removed by the destructor unless
// commit() renamed it into place, and removed by removeTemporaryFiles() when
// a signal ends the program. Through its links, a name that exists and is
// not a regular file (a device, a FIFO) is written directly; a name replaced
// is always written through a temporary file. An empty name is InputError.
class OutputFile {
 public:
  explicit OutputFile(const std::string& name, Placement placement = Placement::throughLinks);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  const std::string& name() const { return name_; }
  // Before commit(): written straight into an existing file that is not a
  // regular one (a FIFO, a device) rather than through a temporary file.
  bool writtenInPlace() const { return temporary_.empty(); }
  // Throws Error "cannot write NAME" with the operating system's reason.
  void write(std::string_view bytes);
  // Flushes, closes and renames the temporary file into place; throws Error.
  void commit();

 private:
  void discard() noexcept;
  std::string name_;       // as given
  std::string target_;     // the file replaced: the name after its links
  std::string temporary_;  // empty: written directly
  int fd_ = -1;
  int slot_ = -1;  // in the registry of temporary files
};

}  // namespace ascent
