// A PDF, SVG or PNG replaces its file only once it is complete: an earlier
// figure survives a temporary directory that cannot be used and a disk that
// fills, nothing is left beside it, the file keeps its mode and its links,
// and the pages of an earlier, longer document do not outlive it.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "plume/plume.h"
#include "plume/plume.hpp"
#include "support/document.hpp"

namespace fs = std::filesystem;
using plume::testing::read_file;
using plume::testing::temp_path;

namespace {

constexpr int kUnit = 33;

void plot_lines(const std::string& path, int lines, int pages = 1) {
  plume::connect_unit(kUnit, path);
  plume::hplots(1, 1, kUnit, 0);
  for (int page = 0; page < pages; ++page) {
    if (page > 0) plume::newpage();
    for (int i = 0; i < lines; ++i) {
      plume::plot(static_cast<float>(i % 19), 0.0f, 3);
      plume::plot(static_cast<float>((i * 7) % 19), 27.0f, 2);
    }
  }
  plume::hplots(0, 0, kUnit, 0);
}

// A directory of its own, holding `figure` with the text "earlier".
std::string figure_in_fresh_directory(const std::string& dir_name, const std::string& figure) {
  const fs::path dir = temp_path(dir_name);
  fs::create_directories(dir);
  std::ofstream(dir / figure) << "earlier";
  return (dir / figure).string();
}

std::set<std::string> names_in(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
  return names;
}

int in_child(const std::function<void()>& body) {
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    ::alarm(120);
    body();
    std::exit(0);
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

TEST(FileReplacement, UnusableTemporaryDirectoryLeavesTheEarlierFigureOrDrawsIt) {
  for (const char* ext : {".pdf", ".svg", ".png"}) {
    const std::string figure = figure_in_fresh_directory(std::string("tmpdir") + ext, std::string("figure") + ext);
    ASSERT_EQ(in_child([&] {
                ::setenv("TMPDIR", "/nonexistent/plume", 1);
                plot_lines(figure, 20);
                std::exit(plume::write_failures());
              }),
              0)
        << ext;
    // The document waited beside its target instead, and replaced it whole.
    const std::string text = read_file(figure);
    EXPECT_NE(text, "earlier") << ext;
    EXPECT_GT(text.size(), 100u) << ext;
    EXPECT_EQ(names_in(fs::path(figure).parent_path()), std::set<std::string>{fs::path(figure).filename()}) << ext;
  }
}

TEST(FileReplacement, FullDiskLeavesTheEarlierFigureAndNothingBeside) {
  const std::string figure = figure_in_fresh_directory("full", "figure.png");
  ASSERT_EQ(in_child([&] {
              // The page (millions of pixels) reaches the limit, the spooled
              // document (a few hundred lines) does not.
              const rlimit limit{100'000, 100'000};
              ::setrlimit(RLIMIT_FSIZE, &limit);
              std::signal(SIGXFSZ, SIG_IGN);
              plume::crop_pages(false);
              plume::raster_dpi(600);
              testing::internal::CaptureStderr();
              plot_lines(figure, 300);
              const std::string err = testing::internal::GetCapturedStderr();
              std::fprintf(stderr, "%s", err.c_str());
              std::exit(plume::write_failures() == 1 && err.find("File too large") != std::string::npos ? 0 : 5);
            }),
            0);
  EXPECT_EQ(read_file(figure), "earlier");
  EXPECT_EQ(names_in(fs::path(figure).parent_path()), std::set<std::string>{"figure.png"});
}

TEST(FileReplacement, ReplacedFigureKeepsItsModeAndItsLink) {
  const std::string figure = figure_in_fresh_directory("mode", "figure.svg");
  ASSERT_EQ(::chmod(figure.c_str(), 0640), 0);
  const std::string link = (fs::path(figure).parent_path() / "link.svg").string();
  fs::create_symlink("figure.svg", link);
  plot_lines(link, 10);
  EXPECT_EQ(plume::write_failures(), 0);
  EXPECT_TRUE(fs::is_symlink(link));
  struct stat st {};
  ASSERT_EQ(::stat(figure.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_NE(read_file(figure).find("<svg"), std::string::npos);
  EXPECT_EQ(names_in(fs::path(figure).parent_path()), (std::set<std::string>{"figure.svg", "link.svg"}));
}

TEST(FileReplacement, PagesOfAnEarlierLongerDocumentAreRemoved) {
  for (const char* ext : {".svg", ".png"}) {
    const fs::path dir = temp_path(std::string("pages") + ext);
    fs::create_directories(dir);
    const std::string figure = (dir / (std::string("figure") + ext)).string();
    plot_lines(figure, 5, 3);
    ASSERT_TRUE(fs::exists(dir / (std::string("figure-3") + ext))) << ext;
    // Not a page of that document: a gap comes before it.
    std::ofstream(dir / (std::string("figure-5") + ext)) << "someone else's";
    plot_lines(figure, 5, 1);
    EXPECT_EQ(names_in(dir), (std::set<std::string>{std::string("figure") + ext, std::string("figure-5") + ext}))
        << ext;
  }
}

}  // namespace
