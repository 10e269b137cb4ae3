// The documentation: every page's example program draws a document that
// Ghostscript renders and crops to the box in its header; the page shows
// that program and its picture; the Fortran version of the example writes
// the very same document; links and the manual page hold together.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <set>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "plume/plume.h"
#include "support/document.hpp"

namespace fs = std::filesystem;
using plume::testing::read_file;
using plume::testing::split_lines;

namespace {

fs::path source_dir() {
  const char* dir = std::getenv("PLUME_SOURCE_DIR");
  return dir != nullptr ? fs::path(dir) : fs::path(PLUME_SOURCE_DIR_FALLBACK);
}

fs::path binary_dir() {
  const char* dir = std::getenv("PLUME_BINARY_DIR");
  return dir != nullptr ? fs::path(dir) : fs::current_path().parent_path().parent_path();
}

// One page's example: examples/doc_<family>.cpp, drawn by example_doc_<family>,
// shown in docs/<page>.md with docs/images/<page>.png (page = family with
// hyphens).
struct Example {
  std::string family;
  std::string page;
  fs::path source() const { return source_dir() / "examples" / ("doc_" + family + ".cpp"); }
  fs::path program() const { return binary_dir() / "examples" / ("example_doc_" + family); }
  fs::path markdown() const { return source_dir() / "docs" / (page + ".md"); }
  fs::path picture() const { return source_dir() / "docs" / "images" / (page + ".png"); }
  fs::path fortran_source() const { return source_dir() / "docs" / "fortran" / ("doc_" + family + ".f90"); }
  fs::path fortran_program() const { return binary_dir() / "tests" / ("fortran_doc_" + family); }
};

std::vector<Example> examples() {
  std::vector<Example> found;
  for (const auto& entry : fs::directory_iterator(source_dir() / "examples")) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("doc_", 0) != 0 || entry.path().extension() != ".cpp") continue;
    Example e;
    e.family = entry.path().stem().string().substr(4);
    e.page = e.family;
    std::replace(e.page.begin(), e.page.end(), '_', '-');
    found.push_back(e);
  }
  std::sort(found.begin(), found.end(), [](const Example& a, const Example& b) { return a.family < b.family; });
  return found;
}

// The path in single quotes, for the shell.
std::string quote(const fs::path& p) {
  std::string quoted = p.string();
  quoted.insert(quoted.begin(), '\'');
  quoted.push_back('\'');
  return quoted;
}

int run(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct Box {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  bool operator==(const Box&) const = default;
};

// "%%BoundingBox: x0 y0 x1 y1"; false for "(atend)" or anything else.
bool parse_box(const std::string& line, Box& box) {
  return std::sscanf(line.c_str(), "%%%%BoundingBox: %d %d %d %d", &box.x0, &box.y0, &box.x1, &box.y1) == 4;
}

struct Size {
  int width = 0, height = 0;
  bool operator==(const Size&) const = default;
};

// The raster size of what gs -dEPSCrop renders at `dpi`.
Size cropped_size(const fs::path& eps, int dpi) {
  const fs::path ppm = eps.string() + "." + std::to_string(dpi) + ".ppm";
  const std::string cmd = plume::testing::ghostscript() +
                          " -q -dSAFER -dBATCH -dNOPAUSE -dEPSCrop -sDEVICE=ppmraw -r" + std::to_string(dpi) +
                          " -sOutputFile=" + quote(ppm) + " " + quote(eps);
  EXPECT_EQ(run(cmd), 0) << cmd;
  Size size;
  const auto lines = split_lines(read_file(ppm.string()));
  for (std::size_t i = 1; i < lines.size(); ++i) {
    if (!lines[i].empty() && lines[i][0] == '#') continue;
    std::sscanf(lines[i].c_str(), "%d %d", &size.width, &size.height);
    break;
  }
  return size;
}

// Width and height from a PNG's header chunk.
Size png_size(const fs::path& png) {
  const std::string bytes = read_file(png.string());
  if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0 || bytes.compare(12, 4, "IHDR") != 0) return {};
  const auto be32 = [&](std::size_t at) {
    int v = 0;
    for (std::size_t i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
    return v;
  };
  return {be32(16), be32(20)};
}

fs::path draw(const Example& e) {
  const fs::path eps = plume::testing::temp_path(e.family + ".eps");
  EXPECT_EQ(run(quote(e.program()) + " " + quote(eps)), 0) << e.program();
  return eps;
}

TEST(Docs, EveryExampleHasItsProgramPageAndPicture) {
  const auto all = examples();
  ASSERT_GE(all.size(), 6u);
  for (const auto& e : all) {
    SCOPED_TRACE(e.family);
    EXPECT_TRUE(fs::exists(e.program())) << "not built: " << e.program();
    const std::string page = read_file(e.markdown().string());
    ASSERT_FALSE(page.empty()) << "no page " << e.markdown();
    EXPECT_NE(page.find(read_file(e.source().string())), std::string::npos)
        << e.markdown() << " does not show " << e.source() << " as it stands";
    EXPECT_NE(page.find("](images/" + e.page + ".png)"), std::string::npos) << "picture not shown";
    EXPECT_TRUE(fs::exists(e.picture())) << e.picture();
    if (fs::exists(e.fortran_source())) {
      EXPECT_NE(page.find(read_file(e.fortran_source().string())), std::string::npos)
          << e.markdown() << " does not show " << e.fortran_source() << " as it stands";
    }
  }
}

TEST(Docs, ExamplesRenderAndCropToTheBoxInTheirHeader) {
  PLUME_REQUIRE_GHOSTSCRIPT();
  for (const auto& e : examples()) {
    SCOPED_TRACE(e.family);
    const fs::path eps = draw(e);
    std::string output;
    EXPECT_TRUE(plume::testing::renders_cleanly(eps.string(), &output)) << output;
    const auto lines = split_lines(read_file(eps.string()));
    ASSERT_GT(lines.size(), 3u);
    Box header, trailer;
    ASSERT_TRUE(parse_box(lines[1], header)) << lines[1];
    ASSERT_TRUE(parse_box(lines.back(), trailer)) << lines.back();
    EXPECT_EQ(lines[lines.size() - 3], "%%Trailer");
    EXPECT_EQ(header, trailer);
    EXPECT_LT(header.x0, header.x1);
    EXPECT_LT(header.y0, header.y1);
    // Inside the sheet: the drawing, not the page, is what gets cropped.
    EXPECT_GE(header.x0, 0);
    EXPECT_GE(header.y0, 0);
    EXPECT_LE(header.x1, 595);
    EXPECT_LE(header.y1, 842);
    EXPECT_EQ(cropped_size(eps, 72), (Size{header.x1 - header.x0, header.y1 - header.y0}));
  }
}

// A picture drawn from an older example would differ in size from what the
// example draws now (the pictures are made by tools/make_docs_pictures.sh).
TEST(Docs, PicturesHaveTheSizeTheirExamplesDrawNow) {
  PLUME_REQUIRE_GHOSTSCRIPT();
  for (const auto& e : examples()) {
    SCOPED_TRACE(e.family);
    const Size picture = png_size(e.picture());
    EXPECT_GT(picture.width, 0) << e.picture();
    EXPECT_EQ(picture, cropped_size(draw(e), 100)) << "redraw with tools/make_docs_pictures.sh";
    EXPECT_LT(fs::file_size(e.picture()), 100u * 1024u);
  }
}

TEST(Docs, FortranVersionsWriteTheSameDocuments) {
#ifndef PLUME_DOCS_FORTRAN
  GTEST_SKIP() << "built without Fortran";
#endif
  int compared = 0;
  for (const auto& e : examples()) {
    if (!fs::exists(e.fortran_source())) continue;
    SCOPED_TRACE(e.family);
    const fs::path dir = plume::testing::temp_path("fortran_" + e.family);
    fs::create_directories(dir);
    ASSERT_EQ(run("cd " + quote(dir) + " && " + quote(e.fortran_program())), 0) << e.fortran_program();
    const std::string fortran = read_file((dir / "fort.8").string());
    EXPECT_FALSE(fortran.empty());
    EXPECT_TRUE(fortran == read_file(draw(e).string())) << "the Fortran and C++ versions draw differently";
    ++compared;
  }
  EXPECT_GE(compared, 5);
}

// The targets of the Markdown links "[text](target)" of a page, anchors cut.
std::vector<std::string> link_targets(const std::string& text) {
  std::vector<std::string> targets;
  for (std::size_t at = text.find("]("); at != std::string::npos; at = text.find("](", at + 2)) {
    const std::size_t end = text.find_first_of(") \n", at + 2);
    if (end == std::string::npos || text[end] != ')') continue;
    std::string target = text.substr(at + 2, end - at - 2);
    target = target.substr(0, target.find('#'));
    if (!target.empty()) targets.push_back(target);
  }
  return targets;
}

// Relative links in the pages point to files of the tree.
TEST(Docs, PagesLinkOnlyToFilesThatExist) {
  int links = 0;
  for (const auto& entry : fs::directory_iterator(source_dir() / "docs")) {
    if (entry.path().extension() != ".md") continue;
    for (const auto& target : link_targets(read_file(entry.path().string()))) {
      if (target.find("://") != std::string::npos) continue;
      EXPECT_TRUE(fs::exists(entry.path().parent_path() / target)) << entry.path().filename() << ": " << target;
      ++links;
    }
  }
  EXPECT_GE(links, 10);
}

// The text of a man page as man shows it (overstrikes resolved), or of a
// Markdown heading: letters and digits only, lower case, so that the two
// compare whatever the mark-up.
std::string letters_of(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (std::isalnum(static_cast<unsigned char>(c))) out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return out;
}

bool is_name_char(char c) { return (c >= 'a' && c <= 'z') || c == '_'; }

// The names that stand right after `prefix` and before "(" in a line:
// "plume::" gives the routines of a call table's C++ row.
std::vector<std::string> names_called(const std::string& line, const std::string& prefix) {
  std::vector<std::string> names;
  for (auto at = line.find(prefix); at != std::string::npos; at = line.find(prefix, at + 1)) {
    auto end = at + prefix.size();
    while (end < line.size() && is_name_char(line[end])) ++end;
    if (end > at + prefix.size() && end < line.size() && line[end] == '(') {
      names.push_back(line.substr(at + prefix.size(), end - at - prefix.size()));
    }
  }
  return names;
}

// Whether `word` stands in `text` as a word of its own.
bool has_word(const std::string& text, const std::string& word) {
  for (auto at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
    const bool starts = at == 0 || !is_name_char(text[at - 1]);
    const bool ends = at + word.size() == text.size() || !is_name_char(text[at + word.size()]);
    if (starts && ends) return true;
  }
  return false;
}

// The routine a declaration line of plume.hpp declares ("void plot(float x,
// ..." gives "plot"), or nothing for other lines.
std::string declared_routine(const std::string& line) {
  if (line.empty() || !std::isalpha(static_cast<unsigned char>(line[0]))) return "";
  if (line.rfind("namespace", 0) == 0 || line.rfind("template", 0) == 0 || line.rfind("class", 0) == 0 ||
      line.rfind("struct", 0) == 0 || line.rfind("enum", 0) == 0) {
    return "";
  }
  const auto open = line.find('(');
  if (open == std::string::npos) return "";
  auto begin = open;
  while (begin > 0 && is_name_char(line[begin - 1])) --begin;
  if (begin == 0 || begin == open || (line[begin - 1] != ' ' && line[begin - 1] != '*')) return "";
  return line.substr(begin, open - begin);
}

// man -l, in a UTF-8 locale at 80 columns: its warnings and its text.
std::pair<std::string, std::string> format_manual_page(const fs::path& page) {
  const fs::path warnings = plume::testing::temp_path(page.filename().string() + ".warnings");
  const fs::path text = plume::testing::temp_path(page.filename().string() + ".txt");
  const std::string command = "LC_ALL=C.UTF-8 MANWIDTH=80 MAN_KEEP_FORMATTING= man --warnings -E UTF-8 -l " +
                              quote(page) + " > " + quote(text) + " 2> " + quote(warnings);
  EXPECT_EQ(run(command), 0) << command;
  return {read_file(warnings.string()), read_file(text.string())};
}

// The pages of routines in docs/ (all but the overview, the page on linking
// and traceplot's) and the section 3 manual page made from each.
std::vector<std::pair<fs::path, fs::path>> family_manual_pages() {
  std::vector<std::pair<fs::path, fs::path>> pages;
  for (const auto& entry : fs::directory_iterator(source_dir() / "docs")) {
    const std::string stem = entry.path().stem().string();
    if (entry.path().extension() != ".md" || stem == "README" || stem == "linking" || stem == "traceplot" ||
        stem == "plume-section") {
      continue;
    }
    pages.emplace_back(entry.path(), binary_dir() / "man" / ("plume-" + stem + ".3"));
  }
  std::sort(pages.begin(), pages.end());
  return pages;
}

// Each family's manual page is in step with its page in docs/: every
// section is there, and its NAME line names every C++ routine of the
// page's call tables; between them the pages name every routine of
// plume.hpp; plume(3) refers to each; all format without warnings.
TEST(Docs, ManualPagesFollowTheDocsAndFormatWithoutWarnings) {
  if (run("command -v man >/dev/null 2>&1") != 0) GTEST_SKIP() << "man not installed";
  std::set<std::string> named;
  const auto [plume_warnings, plume_text] = format_manual_page(binary_dir() / "man" / "plume.3");
  EXPECT_EQ(plume_warnings, "");
  const auto pages = family_manual_pages();
  ASSERT_GE(pages.size(), 6u);
  for (const auto& [markdown, manual] : pages) {
    ASSERT_TRUE(fs::exists(manual)) << manual;
    const auto [warnings, text] = format_manual_page(manual);
    EXPECT_EQ(warnings, "") << manual;
    for (auto at = text.find("**"); at != std::string::npos; at = text.find("**", at + 2)) {
      const bool opens_bold = at + 2 < text.size() && std::isalnum(static_cast<unsigned char>(text[at + 2]));
      EXPECT_FALSE(opens_bold) << manual << ": Markdown bold left as it stands";
    }
    const std::string shown = letters_of(text);
    const std::string source = read_file(manual.string());
    const std::string name_line = source.substr(0, source.find(".SH DESCRIPTION"));
    for (const auto& line : split_lines(read_file(markdown.string()))) {
      if (line.rfind("#", 0) == 0) {
        EXPECT_NE(shown.find(letters_of(line)), std::string::npos) << manual.filename() << ": " << line;
      }
      if (line.rfind("| C++ |", 0) != 0) continue;
      for (const auto& routine : names_called(line, "plume::")) {
        named.insert(routine);
        EXPECT_TRUE(has_word(name_line, routine)) << manual.filename() << " does not name " << routine << " in NAME";
      }
    }
    const std::string page = manual.stem().string();
    EXPECT_NE(plume_text.find(page + "(3)"), std::string::npos) << "plume(3) does not refer to " << page;
  }
  // Routines not in a call table of their own are documented in the text.
  for (const auto& line : split_lines(read_file((source_dir() / "include" / "plume" / "plume.hpp").string()))) {
    const std::string routine = declared_routine(line);
    if (!routine.empty()) {
      EXPECT_TRUE(has_word(plume_text, routine)) << "plume(3) does not name " << routine;
    }
    if (!routine.empty() && named.count(routine) == 0) {
      bool mentioned = false;
      std::vector<fs::path> manuals = {binary_dir() / "man" / "plume.3"};
      for (const auto& page : pages) manuals.push_back(page.second);
      for (const auto& manual : manuals) {
        const std::string source = read_file(manual.string());
        mentioned = mentioned || source.find(routine + "()") != std::string::npos ||
                    source.find("\\fB" + routine + "\\fR") != std::string::npos;
      }
      EXPECT_TRUE(mentioned) << routine << " of plume.hpp is in no manual page";
    }
  }
  const std::string traceplot = read_file((source_dir() / "docs" / "traceplot.1").string());
  EXPECT_NE(traceplot.find(std::string("\"Plume ") + PLUME_VERSION + "\""), std::string::npos)
      << "traceplot.1 does not give the version " << PLUME_VERSION;
  for (const char* option : {"\\-\\-help", "\\-\\-version"}) EXPECT_NE(traceplot.find(option), std::string::npos) << option;
  EXPECT_EQ(format_manual_page(source_dir() / "docs" / "traceplot.1").first, "");
}

TEST(Docs, ManualPageFormatsWithoutWarnings) {
  if (run("command -v groff >/dev/null 2>&1") != 0) GTEST_SKIP() << "groff not installed";
  const fs::path page = source_dir() / "docs" / "traceplot.1";
  ASSERT_TRUE(fs::exists(page));
  const fs::path warnings = plume::testing::temp_path("traceplot.1.warnings");
  const fs::path text = plume::testing::temp_path("traceplot.1.txt");
  ASSERT_EQ(run("groff -t -man -Tutf8 -ww " + quote(page) + " > " + quote(text) + " 2> " + quote(warnings)), 0);
  EXPECT_EQ(read_file(warnings.string()), "");
  // Bold and underlined text comes as overstrikes: "N\bN", "_\bx".
  std::string shown;
  for (const char c : read_file(text.string())) {
    if (c == '\b') {
      if (!shown.empty()) shown.pop_back();
    } else {
      shown += c;
    }
  }
  for (const char* section : {"NAME", "SYNOPSIS", "DESCRIPTION", "FILES", "EXIT STATUS", "EXAMPLES"}) {
    EXPECT_NE(shown.find(section), std::string::npos) << section;
  }
}

}  // namespace
