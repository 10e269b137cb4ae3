// The bad-input corpus of the traceplot program: every directory under
// tests/corpus/traceplot is one case, run through the program's binary in a
// fresh directory of its own. A case holds
//
//   stdin     the run parameter text;
//   fort.10   the trace file (absent: the file is missing);
//   expect    line 1 the exit status, then the texts standard error must
//             contain, one a line ('#' lines are comments; "@document none",
//             "@document partial" or "@document complete" says what fort.8
//             must be when the status alone does not);
//   generate  (optional) how to build inputs too big to keep, one operation
//             a line, as key=value words:
//               pad file=stdin|fort.10 line=N at=start|end bytes=N char=C
//               repeat file=F lines=A-B times=N   (the block, N times in all)
//               crlf files=stdin,fort.10   (LF to CRLF; the LF input must give
//                                          the same status, messages, document)
//               stdin=closed|directory  fort.10=directory
//               fort.8=dev_full|directory
//             C is one character, or space, tab, nul, or 0xHH.
//
// Every run must end by itself within the time limit, not by a signal, write
// nothing on standard output, report a bad input with exactly one
// "traceplot: " line, stay within a memory bound far below the inputs' size,
// and leave a fort.8 that starts with the document head; a complete one
// renders in Ghostscript.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "support/document.hpp"

namespace {

namespace fs = std::filesystem;
using plume::testing::read_file;
using plume::testing::split_lines;

constexpr auto kTimeLimit = std::chrono::seconds(20);
constexpr long kMemoryLimitKiB = 64 * 1024;
constexpr std::uintmax_t kKeptFileLimit = 1 << 20;  // larger inputs of a failed case are removed

fs::path corpus_root() {
  if (const char* source = std::getenv("PLUME_SOURCE_DIR"))
    return fs::path(source) / "tests/corpus/traceplot";
  return fs::path(__FILE__).parent_path() / "corpus/traceplot";
}

fs::path traceplot_binary() {
  const char* dir = std::getenv("PLUME_BINARY_DIR");
  return fs::path(dir != nullptr ? dir : ".") / "traceplot";
}

std::vector<std::string> case_names() {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(corpus_root(), ec)) {
    if (entry.is_directory()) names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// ------------------------------------------------------------------ expectations

enum class DocumentKind { none, partial, complete, any };

struct Expectation {
  int status = -1;
  std::vector<std::string> messages;
  DocumentKind document = DocumentKind::any;
};

// The value that `word` names among `choices`.
template <typename Value>
Value chosen(const std::string& word, std::initializer_list<std::pair<std::string_view, Value>> choices,
             const std::string& what) {
  for (const auto& [name, value] : choices) {
    if (name == word) return value;
  }
  throw std::runtime_error(what + ": unknown " + word);
}

Expectation parse_expectation(const std::string& text) {
  const auto lines = split_lines(text);
  Expectation e;
  if (lines.empty() ||
      std::from_chars(lines[0].data(), lines[0].data() + lines[0].size(), e.status).ec != std::errc{})
    throw std::runtime_error("expect: line 1 is not an exit status");
  e.document = e.status == 0   ? DocumentKind::complete
               : e.status == 2 ? DocumentKind::partial
                               : DocumentKind::any;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line.empty() || line.front() == '#') continue;
    if (line.starts_with("@document ")) {
      e.document = chosen<DocumentKind>(line.substr(10),
                                        {{"none", DocumentKind::none},
                                         {"partial", DocumentKind::partial},
                                         {"complete", DocumentKind::complete}},
                                        "expect: @document");
    } else if (line.front() == '@') {
      throw std::runtime_error("expect: unknown directive " + line);
    } else {
      e.messages.push_back(line);
    }
  }
  return e;
}

// ------------------------------------------------------------------ inputs

enum class StdinSource { file, closed, directory };
enum class Fort8Setup { none, dev_full, directory };

struct Inputs {
  std::string stdin_text;
  std::optional<std::string> fort10;
  StdinSource stdin_source = StdinSource::file;
  bool fort10_directory = false;
  Fort8Setup fort8 = Fort8Setup::none;
  std::vector<std::string> crlf_files;  // converted after the other operations
};

using Keys = std::map<std::string, std::string>;

Keys parse_keys(std::string_view line) {
  Keys keys;
  std::istringstream words{std::string(line)};
  std::string word;
  while (words >> word) {
    const auto eq = word.find('=');
    keys[word.substr(0, eq)] = eq == std::string::npos ? "" : word.substr(eq + 1);
  }
  return keys;
}

const std::string& key(const Keys& keys, const std::string& name) {
  const auto it = keys.find(name);
  if (it == keys.end()) throw std::runtime_error("generate: missing " + name + "=");
  return it->second;
}

std::size_t number(const Keys& keys, const std::string& name) {
  const std::string& text = key(keys, name);
  std::size_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc{} || end != text.data() + text.size())
    throw std::runtime_error("generate: " + name + "=" + text + " is not a count");
  return value;
}

char fill_character(const std::string& name) {
  if (name == "space") return ' ';
  if (name == "tab") return '\t';
  if (name == "nul") return '\0';
  if (name.size() == 4 && name.starts_with("0x"))
    return static_cast<char>(std::stoi(name.substr(2), nullptr, 16));
  if (name.size() == 1) return name[0];
  throw std::runtime_error("generate: unknown char=" + name);
}

std::string& file_text(Inputs& in, const std::string& name) {
  if (name == "stdin") return in.stdin_text;
  if (name == "fort.10" && in.fort10) return *in.fort10;
  throw std::runtime_error("generate: no file " + name);
}

// Lines with their line ends; the last may have none.
std::vector<std::string> lines_with_ends(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t nl = text.find('\n', start);
    const std::size_t end = nl == std::string::npos ? text.size() : nl + 1;
    lines.push_back(text.substr(start, end - start));
    start = end;
  }
  return lines;
}

void pad(Inputs& in, const Keys& keys) {
  std::string& text = file_text(in, key(keys, "file"));
  const std::size_t line = number(keys, "line");
  std::size_t begin = 0;  // of the line
  for (std::size_t n = 1; n < line && begin != std::string::npos; ++n) {
    begin = text.find('\n', begin);
    if (begin != std::string::npos) ++begin;
  }
  if (line == 0 || begin == std::string::npos || begin >= text.size())
    throw std::runtime_error("generate: pad line beyond the file");
  const std::size_t nl = text.find('\n', begin);
  const std::string& where = key(keys, "at");
  if (where != "start" && where != "end") throw std::runtime_error("generate: at=" + where);
  const std::size_t at = where == "start" ? begin : nl == std::string::npos ? text.size() : nl;
  text.insert(at, number(keys, "bytes"), fill_character(key(keys, "char")));
}

void repeat(Inputs& in, const Keys& keys) {
  std::string& text = file_text(in, key(keys, "file"));
  auto lines = lines_with_ends(text);
  const std::string& range = key(keys, "lines");
  const auto dash = range.find('-');
  const std::size_t first = std::stoul(range.substr(0, dash));
  const std::size_t last = dash == std::string::npos ? first : std::stoul(range.substr(dash + 1));
  const std::size_t times = number(keys, "times");
  if (first == 0 || last < first || last > lines.size() || times == 0 || !lines[last - 1].ends_with('\n'))
    throw std::runtime_error("generate: bad repeat " + range);
  std::string block;
  for (std::size_t i = first; i <= last; ++i) block += lines[i - 1];
  std::string out;
  for (std::size_t i = 1; i < first; ++i) out += lines[i - 1];
  out.reserve(out.size() + block.size() * times + text.size());
  for (std::size_t k = 0; k < times; ++k) out += block;
  for (std::size_t i = last + 1; i <= lines.size(); ++i) out += lines[i - 1];
  text = std::move(out);
}

void apply(Inputs& in, const std::string& line) {
  const Keys keys = parse_keys(line);
  std::istringstream words(line);
  std::string verb;
  words >> verb;
  if (verb == "pad") {
    pad(in, keys);
  } else if (verb == "repeat") {
    repeat(in, keys);
  } else if (verb == "crlf") {
    std::istringstream files(key(keys, "files"));
    for (std::string f; std::getline(files, f, ',');) in.crlf_files.push_back(f);
  } else if (verb.starts_with("stdin=")) {
    in.stdin_source = chosen<StdinSource>(
        key(keys, "stdin"), {{"closed", StdinSource::closed}, {"directory", StdinSource::directory}},
        "generate: stdin=");
  } else if (verb == "fort.10=directory") {
    in.fort10_directory = true;
  } else if (verb.starts_with("fort.8=")) {
    in.fort8 = chosen<Fort8Setup>(key(keys, "fort.8"),
                                  {{"dev_full", Fort8Setup::dev_full}, {"directory", Fort8Setup::directory}},
                                  "generate: fort.8=");
  } else {
    throw std::runtime_error("generate: unknown operation " + line);
  }
}

Inputs load_inputs(const fs::path& dir) {
  Inputs in;
  in.stdin_text = read_file((dir / "stdin").string());
  if (fs::exists(dir / "fort.10")) in.fort10 = read_file((dir / "fort.10").string());
  if (fs::exists(dir / "generate")) {
    for (const auto& line : split_lines(read_file((dir / "generate").string()))) {
      if (!line.empty() && line.front() != '#') apply(in, line);
    }
  }
  return in;
}

std::string with_crlf(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (const char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

Inputs crlf_converted(Inputs in) {
  for (const auto& f : in.crlf_files) {
    std::string& text = file_text(in, f);
    text = with_crlf(text);
  }
  return in;
}

// ------------------------------------------------------------------ running

struct Outcome {
  fs::path dir;
  bool hung = false;
  int signal = 0;  // the signal that ended the run, or 0
  int status = -1;
  long max_rss_kib = 0;
  std::string out;
  std::string err;
  fs::path fort8() const { return dir / "fort.8"; }
};

void write_file(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

void lay_out(const Inputs& in, const fs::path& dir) {
  fs::remove_all(dir);
  fs::create_directories(dir);
  write_file(dir / "stdin.txt", in.stdin_text);
  if (in.fort10_directory) {
    fs::create_directory(dir / "fort.10");
  } else if (in.fort10) {
    write_file(dir / "fort.10", *in.fort10);
  }
  if (in.fort8 == Fort8Setup::dev_full) fs::create_symlink("/dev/full", dir / "fort.8");
  if (in.fort8 == Fort8Setup::directory) fs::create_directory(dir / "fort.8");
}

// Peak memory is measured in a process that starts from a fresh image: a
// child's ru_maxrss also counts the pages it shared with its parent before
// exec, so the test process (which holds the generated inputs) re-executes
// itself as a small launcher, and the launcher forks and waits for traceplot.
constexpr const char* kLauncherVariable = "PLUME_CORPUS_LAUNCH";
constexpr const char* kLaunchReport = "launch.txt";

// Between fork and exec: only async-signal-safe calls.
[[noreturn]] void exec_traceplot(const char* dir, const char* binary, char source) {
  if (::chdir(dir) != 0) ::_exit(126);
  const int out = ::open("stdout.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int err = ::open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) ::_exit(126);
  if (out > 2) ::close(out);
  if (err > 2) ::close(err);
  if (source == 'c') {
    ::close(0);
  } else {
    const int in = source == 'f' ? ::open("stdin.txt", O_RDONLY) : ::open(".", O_RDONLY | O_DIRECTORY);
    if (in < 0 || ::dup2(in, 0) < 0) ::_exit(126);
    if (in > 2) ::close(in);
  }
  ::execl(binary, "traceplot", static_cast<char*>(nullptr));
  ::_exit(127);
}

// The launcher: "<f|c|d><directory>\n<binary>" in the variable; writes the
// wait status and peak memory of traceplot to launch.txt in the directory.
[[noreturn]] void launch(const std::string& order) {
  const auto nl = order.find('\n');
  if (order.size() < 2 || nl == std::string::npos) ::_exit(125);
  const std::string dir = order.substr(1, nl - 1);
  const std::string binary = order.substr(nl + 1);
  const pid_t pid = ::fork();
  if (pid < 0) ::_exit(125);
  if (pid == 0) exec_traceplot(dir.c_str(), binary.c_str(), order[0]);
  int status = 0;
  rusage usage{};
  while (::wait4(pid, &status, 0, &usage) < 0) {
    if (errno != EINTR) ::_exit(125);
  }
  std::ofstream(fs::path(dir) / kLaunchReport) << status << ' ' << usage.ru_maxrss << '\n';
  ::_exit(0);
}

const bool kIsLauncher = [] {
  if (const char* order = std::getenv(kLauncherVariable)) launch(order);
  return false;
}();

char source_code(StdinSource source) {
  return source == StdinSource::file ? 'f' : source == StdinSource::closed ? 'c' : 'd';
}

Outcome run_traceplot(const Inputs& in, const fs::path& dir) {
  lay_out(in, dir);
  Outcome o;
  o.dir = dir;
  // Everything the child needs is made before the fork.
  const std::string order = std::string(kLauncherVariable) + "=" + source_code(in.stdin_source) +
                            dir.string() + "\n" + traceplot_binary().string();
  std::vector<char*> env;
  for (char** e = environ; *e != nullptr; ++e) {
    if (!std::string_view(*e).starts_with(std::string(kLauncherVariable) + "=")) env.push_back(*e);
  }
  env.push_back(const_cast<char*>(order.c_str()));
  env.push_back(nullptr);
  const std::string self = fs::read_symlink("/proc/self/exe").string();

  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error(std::string("fork: ") + std::strerror(errno));
  if (pid == 0) {
    ::setpgid(0, 0);  // a group of its own, so that a hang is ended with all it started
    ::execle(self.c_str(), "corpus_launcher", static_cast<char*>(nullptr), env.data());
    ::_exit(125);
  }
  ::setpgid(pid, pid);  // also here: the group exists whichever runs first

  const auto deadline = std::chrono::steady_clock::now() + kTimeLimit;
  int launcher_status = 0;
  for (;;) {
    const pid_t done = ::waitpid(pid, &launcher_status, WNOHANG);
    if (done == pid) break;
    if (done < 0 && errno != EINTR) throw std::runtime_error(std::string("waitpid: ") + std::strerror(errno));
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(-pid, SIGKILL);
      ::waitpid(pid, &launcher_status, 0);
      o.hung = true;
      return o;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (!WIFEXITED(launcher_status) || WEXITSTATUS(launcher_status) != 0)
    throw std::runtime_error("the launcher failed with wait status " + std::to_string(launcher_status));
  int status = 0;
  std::istringstream(read_file((dir / kLaunchReport).string())) >> status >> o.max_rss_kib;
  if (WIFSIGNALED(status)) o.signal = WTERMSIG(status);
  if (WIFEXITED(status)) o.status = WEXITSTATUS(status);
  o.out = read_file((dir / "stdout.txt").string());
  o.err = read_file((dir / "stderr.txt").string());
  return o;
}

// ------------------------------------------------------------------ checks

bool is_plain_file(const fs::path& p) { return fs::symlink_status(p).type() == fs::file_type::regular; }

void check_run(const Outcome& o, const Expectation& e) {
  ASSERT_FALSE(o.hung) << "hang: killed after " << kTimeLimit.count() << " s";
  ASSERT_EQ(o.signal, 0) << "died of signal " << o.signal << " (" << ::strsignal(o.signal) << ")\n" << o.err;
  ASSERT_NE(o.status, 126) << "the case could not be set up";
  ASSERT_NE(o.status, 127) << "cannot run " << traceplot_binary();
  EXPECT_EQ(o.status, e.status) << "standard error:\n" << o.err;
  EXPECT_EQ(o.out, "") << "standard output is not for messages";
  EXPECT_LT(o.max_rss_kib, kMemoryLimitKiB) << "peak memory " << o.max_rss_kib << " KiB";

  EXPECT_EQ(o.err.find("Sanitizer"), std::string::npos) << o.err;
  EXPECT_EQ(o.err.find("runtime error:"), std::string::npos) << o.err;
  int reports = 0;
  for (const auto& line : split_lines(o.err)) {
    EXPECT_TRUE(line.starts_with("traceplot: ") || line.starts_with("plume: ")) << "stray output: " << line;
    reports += line.starts_with("traceplot: ");
  }
  // A bad input is reported once; so is the first sample whose point is
  // not finite in a document that is not whole (status 1).
  if (o.status == 2) {
    EXPECT_EQ(reports, 1) << "a bad input is reported once:\n" << o.err;
  } else {
    EXPECT_LE(reports, o.status == 1 ? 1 : 0) << o.err;
  }
  for (const auto& m : e.messages) {
    EXPECT_NE(o.err.find(m), std::string::npos) << "missing: " << m << "\nin:\n" << o.err;
  }
  if (e.messages.empty()) {
    EXPECT_EQ(o.err, "");
  }
}

void check_document(const Outcome& o, DocumentKind kind) {
  const fs::path path = o.fort8();
  if (kind == DocumentKind::none) {
    EXPECT_FALSE(fs::exists(fs::symlink_status(path))) << "a parameter error starts no document";
    return;
  }
  if (!is_plain_file(path)) {
    EXPECT_EQ(kind, DocumentKind::any) << "no document written";
    return;
  }
  const auto lines = split_lines(read_file(path.string()));
  const auto& head = plume::testing::first_portrait_head();
  ASSERT_GE(lines.size(), head.size()) << "the document head is cut short";
  EXPECT_TRUE(std::equal(head.begin(), head.end(), lines.begin()))
      << "the document does not start with its head";
  const bool has_trailer = lines.size() >= head.size() + 3 && lines.back().starts_with("%%BoundingBox:") &&
                           lines[lines.size() - 2] == "showpage";
  if (kind == DocumentKind::partial) {
    EXPECT_FALSE(has_trailer) << "a stopped run leaves no trailer";
  }
  if (kind != DocumentKind::complete) return;
  EXPECT_TRUE(has_trailer) << "a complete run ends the document with its trailer";
  if (plume::testing::ghostscript().empty()) return;
  std::string output;
  EXPECT_TRUE(plume::testing::renders_cleanly(path.string(), &output)) << output;
}

void remove_large_files(const fs::path& dir) {
  std::error_code ec;
  for (const auto& entry : fs::recursive_directory_iterator(dir, ec)) {
    if (entry.is_regular_file(ec) && !entry.is_symlink(ec) && entry.file_size(ec) > kKeptFileLimit)
      fs::remove(entry.path(), ec);
  }
}

// ------------------------------------------------------------------ the cases

class TraceplotCorpus : public ::testing::TestWithParam<std::string> {
 protected:
  void TearDown() override {
    if (dirs_.empty()) return;
    const fs::path parent = dirs_.front().parent_path();
    if (HasFailure()) {
      remove_large_files(parent);
      std::cerr << "case left in " << parent << " (without its large files)\n";
    } else {
      std::error_code ec;
      fs::remove_all(parent, ec);
      fs::remove(parent.parent_path(), ec);  // the process's temporary directory, when now empty
    }
  }
  fs::path work_dir(const std::string& suffix) {
    dirs_.push_back(fs::path(plume::testing::temp_path("corpus-" + GetParam())) / suffix);
    return dirs_.back();
  }

 private:
  std::vector<fs::path> dirs_;
};

TEST_P(TraceplotCorpus, Case) {
  const fs::path source = corpus_root() / GetParam();
  ASSERT_TRUE(fs::exists(traceplot_binary())) << traceplot_binary() << " is not built";
  ASSERT_TRUE(fs::exists(source / "stdin")) << "a case needs its stdin file";
  ASSERT_TRUE(fs::exists(source / "expect")) << "a case needs its expect file";
  Expectation expect;
  Inputs inputs;
  try {
    expect = parse_expectation(read_file((source / "expect").string()));
    inputs = load_inputs(source);
  } catch (const std::exception& e) {
    FAIL() << e.what();
  }

  const bool crlf = !inputs.crlf_files.empty();
  const Outcome run = run_traceplot(crlf ? crlf_converted(inputs) : inputs, work_dir(crlf ? "crlf" : "run"));
  RecordProperty("peak_memory_kib", std::to_string(run.max_rss_kib));
  check_run(run, expect);
  // An unwritable fort.8 is not a document to look into.
  check_document(run, inputs.fort8 == Fort8Setup::none ? expect.document : DocumentKind::any);
  if (!crlf) return;

  // The same input with LF line ends: the same run, byte for byte.
  const Outcome lf = run_traceplot(inputs, work_dir("lf"));
  check_run(lf, expect);
  EXPECT_EQ(run.status, lf.status);
  EXPECT_EQ(run.err, lf.err) << "CRLF and LF inputs give different messages";
  if (is_plain_file(lf.fort8())) {
    EXPECT_TRUE(read_file(run.fort8().string()) == read_file(lf.fort8().string()))
        << "CRLF and LF inputs give different documents";
  }
}

std::string case_test_name(const ::testing::TestParamInfo<std::string>& info) {
  std::string name = info.param;
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(Inputs, TraceplotCorpus, ::testing::ValuesIn(case_names()), case_test_name);

TEST(TraceplotCorpusLayout, HoldsTheCases) {
  const auto names = case_names();
  ASSERT_FALSE(names.empty()) << "no cases under " << corpus_root();
  EXPECT_GE(names.size(), 30u);
  for (const auto& name : names) {
    for (const auto& entry : fs::directory_iterator(corpus_root() / name)) {
      const std::string file = entry.path().filename().string();
      EXPECT_TRUE(file == "stdin" || file == "fort.10" || file == "expect" || file == "generate")
          << name << ": unknown file " << file;
      EXPECT_LE(entry.file_size(), 4096u)
          << name << "/" << file << ": generate large inputs, keep files small";
    }
  }
}

}  // namespace
