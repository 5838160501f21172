#include "cli/terminal_text.h"

#include <gtest/gtest.h>

#include <CLI/CLI.hpp>
#include <functional>
#include <new>
#include <sstream>
#include <stdexcept>
#include <string>

#include "base/text.h"
#include "cli/cli.h"

namespace lirvo::cli {
namespace {

TEST(TerminalTextTest, ControlCharactersBecomeVisible) {
  const struct {
    std::string in;
    const char* out;
  } cases[] = {
      {"ROSSI MARIO", "ROSSI MARIO"},
      {"D'ANGELO NICCOLÒ €", "D'ANGELO NICCOLÒ €"},
      {"a\x1b[2Jb", "a^[[2Jb"},
      {"\x1b]0;title\x07", "^[]0;title^G"},
      {std::string("x\0y", 3), "x^@y"},
      {"\t\r\n\x1f\x7f", "^I^M^J^_^?"},
      {"\xc2\x9b"
       "31m\xc2\x80\xc2\x9f",
       "M-^[31mM-^@M-^_"},       // C1: CSI, U+0080, U+009F
      {"\xc2\xa0", "\xc2\xa0"},  // U+00A0 is no control
      {"\x9b"
       "31m\xff",
       "\\x9B31m\\xFF"},  // bytes outside UTF-8
  };
  for (const auto& c : cases) EXPECT_EQ(Visible(c.in), c.out) << c.out;
}

TEST(TerminalTextTest, ShortenedTextKeepsEscapesWhole) {
  const struct {
    std::string in;
    size_t width;
    const char* out;
  } cases[] = {
      {"abcdefghij", 10, "abcdefghij"},    {"abcdefghijk", 10, "abcdefg..."},
      {"àèìòùàèìòùà", 8, "àèìòù..."},      {"abcde\x1b", 7, "abcde^["},
      {"abcdef\x1bx", 8, "abcde..."},       // "^[" would not fit whole before "..."
      {"abcd\xc2\x9bxyz", 9, "abcd..."},    // nor "M-^["
      {std::string(1 << 20, 'A'), 40, ""},  // checked by length below
  };
  for (const auto& c : cases) {
    const std::string out = VisibleShortened(c.in, c.width);
    if (*c.out != '\0') {
      EXPECT_EQ(out, c.out);
    }
    EXPECT_LE(CharCount(out), c.width);
  }
}

// The command boundary: whatever a command lets out, out of memory included,
// becomes a message and exit status 1.
TEST(RunAppTest, ExceptionsOfACommandBecomeAnExitStatus) {
  const struct {
    std::function<void()> command;
    const char* err;
  } cases[] = {
      {[] { throw std::bad_alloc(); }, "t: out of memory\n"},
      {[] { throw std::length_error("basic_string::_M_create"); },
       "t: unexpected error: basic_string::_M_create\n"},
  };
  for (const auto& c : cases) {
    std::ostringstream out, err;
    Context ctx{out, err};
    CLI::App app{"test", "t"};
    app.add_subcommand("go")->callback(c.command);
    EXPECT_EQ(RunApp(app, {"go"}, ctx), kExitFailure);
    EXPECT_EQ(err.str(), c.err);
  }
}

}  // namespace
}  // namespace lirvo::cli
