// The filter as a whole program: its input and output contract and its error paths.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "EngineTestSupport.h"

namespace {

namespace fs = std::filesystem;

struct Result {
  int status;
  std::string out;
  std::string err;
};

class ZefraConvertTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = FreshTestDirectory("zefra-convert-test"); }
  void TearDown() override { fs::remove_all(dir_); }

  std::string File(const std::string& name, const std::string& content) {
    const fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << content;
    return path.string();
  }

  // Runs the filter with the given arguments, feeding input on standard input: a file, or a pipe.
  Result Run(const std::string& args, const std::string& input = "", bool piped = false) {
    const std::string in = File("stdin", input);
    const fs::path out = dir_ / "stdout", err = dir_ / "stderr";
    const std::string command = (piped ? "cat '" + in + "' | " : "") + std::string(ZEFRA_CONVERT) +
                                " " + args + (piped ? "" : " <'" + in + "'") + " >'" +
                                out.string() + "' 2>'" + err.string() + "'";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, FileText(out), FileText(err)};
  }

  // Runs the filter with its standard error on a terminal of the test's own and its output into
  // a file; what the terminal showed goes into err.
  Result RunOnTerminal(const std::vector<std::string>& args) {
    const fs::path out = dir_ / "stdout";
    int terminal, side;
    if (openpty(&terminal, &side, nullptr, nullptr, nullptr) != 0) return {-1, "", "no terminal"};
    const pid_t child = fork();
    if (child == 0) {
      const int output = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      dup2(open("/dev/null", O_RDONLY), STDIN_FILENO);
      dup2(output, STDOUT_FILENO);
      dup2(side, STDERR_FILENO);
      std::vector<char*> argv{const_cast<char*>(ZEFRA_CONVERT)};
      for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
      argv.push_back(nullptr);
      execv(ZEFRA_CONVERT, argv.data());
      _exit(127);
    }
    close(side);
    std::string shown;
    char block[4096];
    // The terminal's reads fail once the program and its standard error are gone.
    for (ssize_t got; (got = read(terminal, block, sizeof block)) > 0;) shown.append(block, got);
    close(terminal);
    int raw = 0;
    waitpid(child, &raw, 0);
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, FileText(out), shown};
  }

  fs::path dir_;
};

const std::string kSalam = "\u0633\u0644\u0627\u0645";  // salam, corrected to salaam
const std::string kKhoobi = "\u062E\u0648\u0628\u06CC";

TEST_F(ZefraConvertTest, ConvertsEachLineWithTheDefaultDictionary) {
  const Result r = Run("", "salam, khoobi?\nmer30\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kSalam + "\u060C " + kKhoobi + "\u061F\n\u0645\u0631\u0633\u06CC\n");
  EXPECT_EQ(r.err, "");
}

TEST_F(ZefraConvertTest, LineEndsAndMarkers) {
  EXPECT_EQ(Run("", "").out, "");
  EXPECT_EQ(Run("", "\n").out, "\n");
  EXPECT_EQ(Run("", "ab\r\nab").out, "\u0627\u0628\n\u0627\u0628\n");
  // A CR inside a line marks a run left as typed; one at the end of the input stays inside.
  EXPECT_EQ(Run("", "ab \rhello\r ab\n").out, "\u0627\u0628 hello \u0627\u0628\n");
  EXPECT_EQ(Run("", "ab\r").out, "\u0627\u0628\n");
  const std::string bom = "\xEF\xBB\xBF";
  EXPECT_EQ(Run("", bom + "ab\n").out, "\u0627\u0628\n");  // a byte-order mark is skipped
  EXPECT_EQ(Run("", bom).out, "");
}

TEST_F(ZefraConvertTest, CharactersTheCodePageLacksStayWhereTheyStood) {
  // FARSI YEH, an emoji and a Greek letter; a real question mark still becomes the Arabic one.
  EXPECT_EQ(Run("", "ab \u06CC \U0001F600\u03A9ab?\n").out,
            "\u0627\u0628 \u06CC \U0001F600\u03A9\u0627\u0628\u061F\n");
}

TEST_F(ZefraConvertTest, FilesAreReadInOrderAndNotJoined) {
  const std::string a = File("a.txt", "ab"), b = File("b.txt",
                                                      "\xEF\xBB\xBF"
                                                      "bo\n");
  const Result r = Run("'" + a + "' - '" + b + "'", "ab\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "\u0627\u0628\n\u0627\u0628\n\u0628\u0648\n");
}

TEST_F(ZefraConvertTest, OptionsSetTheEngineFlags) {
  EXPECT_EQ(Run("--no-dictionary", "salam\n").out, "\u0633\u0644\u0645\n");
  EXPECT_EQ(Run("--chat=off", "mer30\n").out,
            "\u0645\u0631"
            "30\n");
  EXPECT_EQ(Run("--tashdid=off --no-dictionary", "abba\n").out, "\u0627\u0628\u0628\u0627\n");
  EXPECT_EQ(Run("--treat-ae=off --no-dictionary", "sa'at\n").out, "\u0633\u0627'\u0627\u062A\n");
  EXPECT_EQ(Run("--cp1256", "salam khoobi?\n").out, "\xD3\xE1\xC7\xE3 \xCE\xE6\xC8\xED\n");
}

TEST_F(ZefraConvertTest, ReadsTheGivenDictionaryWithoutWritingIt) {
  const std::string content = "[Whole Words]\r\nman=maan\r\n\r\n[English Words]\r\nhello=Whole\r\n";
  const std::string dictionary = File("Zefra.txt", content);
  const Result r = Run("--dictionary '" + dictionary + "'", "man hello salam\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "\u0645\u0627\u0646 hello \u0633\u0644\u0645\n");
  EXPECT_EQ(FileText(dictionary), content);
  EXPECT_EQ(Run("--english=off --dictionary '" + dictionary + "'", "hello\n").out,
            "\u0647\u0644\u0651\u0648\n");
}

TEST_F(ZefraConvertTest, InvalidUtf8StopsAtTheBadLine) {
  for (const std::string bad :
       {"\xC0\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE2\x82", "\xFF", "\x80"}) {
    const Result r = Run("", "ab\nb" + bad + "b\nab\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "\u0627\u0628\n");
    EXPECT_EQ(r.err, "zefra-convert: -:2: invalid UTF-8\n");
  }
  const std::string file = File("bad.txt", "ab\n\xC3");
  EXPECT_EQ(Run("'" + file + "'").err, "zefra-convert: " + file + ":2: invalid UTF-8\n");
}

TEST_F(ZefraConvertTest, BadArgumentsAndUnreadableFiles) {
  Result r = Run("--frobnicate");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err.substr(0, r.err.find('\n')), "zefra-convert: unknown option '--frobnicate'");
  EXPECT_NE(r.err.find("Usage: zefra-convert"), std::string::npos);
  EXPECT_EQ(Run("--chat=maybe").status, 2);
  EXPECT_EQ(Run("--dictionary").status, 2);

  r = Run("'" + (dir_ / "missing.txt").string() + "'");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("missing.txt"), std::string::npos);
  r = Run("--dictionary '" + (dir_ / "none.txt").string() + "'", "ab\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("none.txt"), std::string::npos);
  EXPECT_EQ(r.out, "");
  r = Run("'" + dir_.string() + "'");
  EXPECT_EQ(r.status, 1);

  r = Run("--help");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("Usage: zefra-convert"), std::string::npos);
  EXPECT_EQ(Run("--version").status, 0);
}

TEST_F(ZefraConvertTest, AVeryLongLineConvertsWhole) {
  // Ten megabytes in one line, with a typed run crossing the places where it is cut.
  std::string line, expected;
  while (line.size() < 10'000'000) {
    line += "ab, khoobi \rhello world\r ";
    expected += "\u0627\u0628\u060C " + kKhoobi + " hello world ";
  }
  const Result r = Run("", line + "\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(r.out == expected + "\n") << "output of " << r.out.size() << " bytes differs";
}

// The filter keeps nothing from one line to the next that changes an output byte, so that an
// input may be cut at any line end and converted in parts, on one machine or many.
TEST_F(ZefraConvertTest, PartsCutAtAnyLineEndConvertAsTheWhole) {
  const std::string input =
      "\xEF\xBB\xBFsalam, khoobi?\nmer30 \rhello\r ab\r\n\nab \u06CC \U0001F600ab\nsalam salam "
      "abba\r\nkhoobi";
  const std::string whole = Run("", input).out;
  for (size_t cut = input.find('\n'); cut != std::string::npos; cut = input.find('\n', cut + 1)) {
    const std::string first = File("first.txt", input.substr(0, cut + 1));
    const std::string second = File("second.txt", input.substr(cut + 1));
    EXPECT_EQ(Run("'" + first + "'").out + Run("'" + second + "'").out, whole) << "cut at " << cut;
  }
}

TEST_F(ZefraConvertTest, JobsWriteTheSameBytesInOrder) {
  // Several rounds of parts, lines of every kind, lines longer than a part in the middle and at
  // the very end, and no LF there.
  const std::string kinds[] = {"salam, khoobi? mer30", "ab \rhello\r ab\r", "",
                               "ab \u06CC \U0001F600ab", "abba 2ta be2n sa'at"};
  std::string longLine;
  while (longLine.size() < 1'500'000) longLine += "khoobi salam ";
  std::string input = "\xEF\xBB\xBF";
  // A line that ends where the jobs' parts of a file meet, and one that ends a byte after.
  const auto lineUpTo = [&](size_t end) {
    input += std::string(end - input.size() - 1, 'a') + "\n";
  };
  for (size_t i = 0; input.size() < 5'000'000; ++i) {
    input += kinds[i % std::size(kinds)] + " w" + std::to_string(i) + "\n";
    if (i == 60'000) input += longLine + "\n";
    if (input.size() > (3 << 20) - 100 && input.size() < (3 << 20)) lineUpTo(3 << 20);
    if (input.size() > (4 << 20) - 100 && input.size() < (4 << 20)) lineUpTo((4 << 20) + 1);
  }
  input += longLine;
  ASSERT_TRUE(input[(3 << 20) - 1] == '\n' && input[4 << 20] == '\n');
  // Small files before and after, converted by the reader itself, keep their places.
  const std::string small = "'" + File("small.txt", "salam\nab") + "'";
  const std::string files = small + " - " + small;
  const Result one = Run(files, input);
  for (const bool piped : {false, true}) {
    const Result three = Run("--jobs 3 " + files, input, piped);
    EXPECT_EQ(three.status, 0);
    EXPECT_TRUE(three.out == one.out)
        << (piped ? "piped: " : "") << "outputs of " << three.out.size() << " and "
        << one.out.size() << " bytes differ";
  }
  // A job that cannot write fails the run, and one whose reader has gone ends it as one process
  // would (by SIGPIPE, unless it was started with SIGPIPE ignored).
  const std::string in = File("in.txt", input), err = (dir_ / "err").string();
  const auto runInto = [&](const std::string& jobs, const std::string& into) {
    const fs::path status = dir_ / "status";
    std::system(("{ " + std::string(ZEFRA_CONVERT) + " --jobs " + jobs + " <'" + in + "' 2>'" +
                 err + "'; echo $? >'" + status.string() + "'; } " + into)
                    .c_str());
    return FileText(status) + FileText(err);
  };
  EXPECT_EQ(runInto("2", ">/dev/full"),
            "1\nzefra-convert: cannot write the output: No space left on device\n");
  EXPECT_EQ(runInto("2", "| head -c 1 >/dev/null"), runInto("1", "| head -c 1 >/dev/null"));
  // A bad line in a later part: the lines before it written, and its number counted across parts.
  input.insert(input.size() * 3 / 4, "b\xFF\n");
  const Result badOne = Run("", input);
  for (const bool piped : {false, true}) {
    const Result bad = Run("--jobs=3", input, piped);
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.err, badOne.err);
    EXPECT_TRUE(bad.out == badOne.out);
  }
  EXPECT_EQ(Run("--jobs 0").status, 2);
  EXPECT_EQ(Run("--jobs=two").status, 2);
}

TEST_F(ZefraConvertTest, SmartSpellingAndModernOrthographyOptions) {
  const std::string ketab = "\u06A9\u062A\u0628", ketaab = "\u06A9\u062A\u0627\u0628";
  EXPECT_EQ(Run("", "ketab\n").out, ketab + "\n");
  EXPECT_EQ(Run("--smart=off", "ketab\n").out, ketab + "\n");
  // The frequency list beside the program knows the word; the dictionary still comes first.
  EXPECT_EQ(Run("--smart=on", "ketab\n").out, ketaab + "\n");
  EXPECT_EQ(Run("--smart=on", "salam\n").out, kSalam + "\n");
  EXPECT_EQ(Run("--modern=off", "miravam\n").out, "\u0645\u064A\u0631\u0648\u0645\n");
  EXPECT_EQ(Run("--modern=on", "miravam\n").out, "\u0645\u06CC\u200C\u0631\u0648\u0645\n");
  EXPECT_EQ(Run("--smart=on --modern=on", "ketab ha\n").out, ketaab + "\u200C\u0647\u0627\n");
  EXPECT_EQ(Run("--smart=yes").status, 2);
  EXPECT_NE(Run("--help").out.find("--modern=on|off"), std::string::npos);
}

TEST_F(ZefraConvertTest, ProgressShowsOnATerminalOnlyAndNeverInTheOutput) {
  std::string text;
  while (text.size() < 5'000'000) text += "salam khoobi\n";
  const std::string large = File("large.txt", text), small = File("small.txt", "salam\n");
  const std::string converted = Run("'" + large + "'").out;

  Result r = RunOnTerminal({"--progress", large});
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(r.out == converted) << "output of " << r.out.size() << " bytes differs";
  EXPECT_NE(r.err.find("100%  5.0 MB of 5.0 MB"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(" MB/s  in "), std::string::npos) << r.err;
  // Jobs that read the file by themselves report how far they have come.
  r = RunOnTerminal({"--progress", "--jobs", "2", large});
  EXPECT_TRUE(r.out == converted);
  EXPECT_NE(r.err.find("100%  5.0 MB of 5.0 MB"), std::string::npos) << r.err;

  EXPECT_EQ(RunOnTerminal({"--progress", small}).err, "");
  r = Run("--progress '" + large + "'");
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(r.out == converted);
}

}  // namespace
