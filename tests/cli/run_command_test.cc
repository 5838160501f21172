#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/file_system.h"
#include "base/text.h"
#include "cli/cli.h"
#include "cli/script_runner.h"
#include "run_lirvo.h"
#include "support/report_lines.h"
#include "support/temp_dir.h"

namespace lirvo::cli {
namespace {

using test_support::Lirvo;
using Result = test_support::RunResult;

class RunCommandTest : public ::testing::Test {
 protected:
  RunCommandTest() { EXPECT_EQ(Lirvo({"init", Install()}).code, 0); }

  std::string Install() const { return dir_.File("inst"); }
  // Runs `script` on the installation; the installation's path reads
  // "$INSTALL" in the output.
  Result Run(const std::string& script, const std::string& clock = "01/03/2026 09:00:00") {
    const std::string path = dir_.File("script.lirvo");
    std::ofstream(path) << script;
    Result r = Lirvo({"run", "--install", Install(), "--clock", clock, path});
    r.out = Replace(r.out, Install(), "$INSTALL");
    return r;
  }

  lirvo::test_support::TempDir dir_;
};

TEST(SplitScriptLineTest, WordsQuotesAndComments) {
  struct Case {
    const char* line;
    std::vector<std::string> words;
  } cases[] = {
      {"event registrazione 0", {"event", "registrazione", "0"}},
      {"  event\tform.load   frmMain  ", {"event", "form.load", "frmMain"}},
      {"event mainribbonbar.activetab \"Referti Lirvo\"",
       {"event", "mainribbonbar.activetab", "Referti Lirvo"}},
      {"a\"b c\"d \"\"", {"ab cd", ""}},
      {"say \"he said \"\"hi\"\"\"", {"say", "he said \"hi\""}},
      {"   # a comment \"unclosed", {}},
      {"", {}},
      {"   \r", {}},
      {"search è#1", {"search", "è#1"}},
  };
  for (const auto& c : cases) {
    std::string error;
    auto words = SplitScriptLine(c.line, &error);
    ASSERT_TRUE(words.has_value()) << c.line;
    EXPECT_EQ(*words, c.words) << c.line;
  }
  std::string error;
  EXPECT_FALSE(SplitScriptLine("event \"Referti Lirvo", &error).has_value());
  EXPECT_EQ(error, "unterminated quote");
}

// The last line of `text`, with its line break.
std::string LastLine(const std::string& text) {
  const size_t end = text.rfind('\n', text.size() - 2);
  return end == std::string::npos ? text : text.substr(end + 1);
}

TEST_F(RunCommandTest, LinesThatCannotRunStopTheScript) {
  // For the person's actions on the main window: patient 1 with the reports
  // at positions 1 and 2 in a bundle, loaded and found (their right clicks
  // and links: the end-to-end scripts).
  ASSERT_EQ(Lirvo({"patients", "add", "ROSSI", "MARIO", "01/02/1950", "", "12345", "--install",
                   Install()})
                .code,
            0);
  RealFileSystem().WriteFile(Install() + "/documents/referti.dat",
                             lirvo::test_support::Report("12345", "Uno.\r\n") +
                                 lirvo::test_support::Report("12345", "Due.\r\n"));
  const std::string open =
      "event registrazione 0\nevent form.load frmMain\n"
      "event mainribbonbar.activetab \"Referti Lirvo\"\n";
  const std::string loaded = open +
                             "choose referti.dat\nevent execute RefertiLirvo.referti.storico\n"
                             "select 1 2\nselect patient 1\n";
  struct Case {
    std::string script;
    const char* error;
  } cases[] = {
      {"frobnicate\n", "unknown command \\\"frobnicate\\\""},
      {"# fine\n\nevent\n", "usage: event NAME [ARG]"},
      {"answer maybe\n", "usage: answer yes|no|ok"},
      {"popup -1\n", "the pop-up choice must be 0 or an item number"},
      {"clock 32/01/2026\n", "the clock must read \\\"dd/mm/yyyy HH:NN:SS\\\" or +SECONDS"},
      {"clock +abc\n", "the seconds must be a whole number: \\\"+abc\\\""},
      {"select 1\n", "the main reports window is not open"},
      {open + "search ros\n", "the search box is not shown"},  // the list is empty
      {loaded + "select 3\n", "no report row with position 3"},
      {loaded + "select \"\"\n", "no report row with position "},  // a patient row is no report
      {loaded + "select patient 999\n", "no patient row with ID 999"},
      {loaded + "link 7\n", "no report row with position 7"},
      {loaded + "link patient 999\n", "no patient row with ID 999"},
      {"dump chart x\n", "the patient ID must be a whole number: \\\"x\\\""},
      {"dump everything\n", "usage: dump ribbon|grid|files|config|chart ID"},
      {"dump chart 99999\n", "no patient 99999 in the archive"},
      {std::string(kMaxScriptLine + 1, 'x') + "\n", "the line is longer than 1048576 bytes"},
      {"patient add ROSSI MARIO 31/02/1950 RSSMRA50B01H501X 1\n", nullptr},
      {"chart add-visit 99 01/01/2026 lrv.X\n",
       "the archive refused the visit (unknown patient or a date that is not dd/mm/yyyy)"},
      {"event \"x\n", "unterminated quote"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(LastLine(c.script).substr(0, 40));
    Result r = Run(c.script + "dump config\n");
    EXPECT_EQ(r.code, 2);
    // The error is on the script's last line, and nothing after it runs.
    const auto number = std::count(c.script.begin(), c.script.end(), '\n');
    const std::string line =
        "{\"type\":\"error\",\"line\":" + std::to_string(number) + ",\"message\":\"";
    EXPECT_EQ(LastLine(r.out).rfind(line, 0), 0u) << r.out;
    if (c.error != nullptr) {
      EXPECT_EQ(LastLine(r.out), line + c.error + "\"}\n");
    }
  }
}

// The clock must be a whole date and time; a byte-order mark before the
// first line is no part of the command.
TEST_F(RunCommandTest, TheClockOptionAndAByteOrderMark) {
  const struct {
    std::string script, clock;
    int code;
    std::string says;  // in the transcript or on standard error
  } cases[] = {
      {"\xEF\xBB\xBF"
       "dump config\n",
       "01/03/2026 09:00:00", 0, R"("type":"config")"},
      {"dump config\n", "", 2, R"(--clock must read "dd/mm/yyyy HH:NN:SS", not "")"},
      {"dump config\n", "01/03/2026", 2,
       R"(--clock must read "dd/mm/yyyy HH:NN:SS", not "01/03/2026")"},
  };
  for (const auto& c : cases) {
    const Result r = Run(c.script, c.clock);
    EXPECT_EQ(r.code, c.code) << c.says;
    EXPECT_NE((r.out + r.err).find(c.says), std::string::npos) << r.out << r.err;
  }
}

TEST_F(RunCommandTest, BadArgumentsAreUsageErrors) {
  Result missing = Lirvo({"run", "--install", Install(), dir_.File("nothing.lirvo")});
  EXPECT_EQ(missing.code, 2);
  EXPECT_EQ(missing.err, "lirvo run: cannot read the script: " + dir_.File("nothing.lirvo") +
                             ": file not found\n");

  std::ofstream(dir_.File("s.lirvo")) << "dump config\n";
  Result nowhere = Lirvo({"run", "--install", dir_.File("vuota"), dir_.File("s.lirvo")});
  EXPECT_EQ(nowhere.code, 2);
  EXPECT_NE(nowhere.err.find("not an installation"), std::string::npos);
  EXPECT_EQ(nowhere.out, "");
}

// What scripts print: the answers nobody asked for; a patient and a visit
// set up and dumped (where an added exam's arguments go: the end-to-end
// scripts); an error trapped at start-up, here a parameter without its name
// (last: it breaks Config.xml).
TEST_F(RunCommandTest, UnusedAnswersChartsAndTrapsInTheTranscript) {
  const struct {
    std::string config, script, out;
  } cases[] = {
      {"",
       "answer yes\npopup 2\nbrowse /tmp\nchoose referti.dat\nprinter ok\n"
       "event registrazione 0\n",
       "{\"type\":\"unused\",\"answers\":1,\"popups\":1,\"folders\":1,\"modal_actions\":1,"
       "\"printers\":1}\n"},
      {"",
       "patient add ROSSI MARIO 01/02/1950 RSSMRA50B01H501X 12345\n"
       "chart add-visit 1 02/03/2026 lrv.AB12\ndump chart 1\n",
       "{\"type\":\"patient\",\"id\":1}\n"
       "{\"type\":\"chart\",\"patient\":1,\"exams\":[],\"visits\":[{\"args\":[\"\",\"\",\"\",\"\","
       "\"02/03/2026\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"lrv.AB12\",\"\"]}]}\n"},
      {"<c name=\"P\"><parameters><parameter>/x</parameter></parameters></c>",
       "event registrazione 0\n",
       "{\"type\":\"trap\",\"where\":\"clsConfig.Init\",\"number\":91,\"description\":"
       "\"Variabile oggetto o variabile del blocco With non impostata\"}\n"
       "{\"type\":\"msgbox\",\"style\":16,\"title\":\"P\",\"text\":\"91 - Variabile oggetto o "
       "variabile del blocco With non impostata\",\"answer\":1}\n"},
  };
  for (const auto& c : cases) {
    if (!c.config.empty()) std::ofstream(Install() + "/plugin/Config.xml") << c.config;
    EXPECT_EQ(Run(c.script), (Result{0, c.out, ""})) << c.script;
  }
}

}  // namespace
}  // namespace lirvo::cli
