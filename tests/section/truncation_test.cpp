// Every fixture cut at every offset: refused with a message naming the
// file, or (cut exactly between traces or records) read as the shorter
// file it then is; never a crash, a hang or another kind of failure.
#include <gtest/gtest.h>

#include <libmseed.h>

#include <functional>

#include "section/fixtures.hpp"
#include "section/input_error.hpp"
#include "section/record_section.hpp"
#include "section/seed_volume_writer.hpp"

namespace {

using namespace section_test;

// The program's reading passes, in process: true when the file is
// accepted, false (with the message checked) when it is refused.
bool accepted(const std::string& path) {
  try {
    section::Options options;
    options.inputs = {path};
    const section::InputSet inputs = section::detect_inputs(options.inputs);
    section::Section s = section::read_headers(inputs, options);
    section::read_peaks(inputs, s);
    return true;
  } catch (const section::InputError& e) {
    EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    return false;
  }
}

// Cuts `bytes` at every offset (every `step`-th for long files); `valid`
// says which lengths are whole files.
void sweep(const std::string& name, const std::vector<unsigned char>& bytes,
           const std::function<bool(std::size_t)>& valid, std::size_t step = 1) {
  const std::string path = fresh_path(name);
  for (std::size_t size = 0; size < bytes.size(); size += step) {
    write_bytes(path, std::vector<unsigned char>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size)));
    EXPECT_EQ(accepted(path), valid(size)) << name << " cut to " << size << " bytes";
  }
  write_bytes(path, bytes);
  EXPECT_TRUE(accepted(path)) << name << " whole";
}

const auto never = [](std::size_t) { return false; };

TEST(Truncation, SacInBothByteOrdersAndVersions) {
  for (const int version : {6, 7}) {
    for (const bool be : {true, false}) {
      SacTrace t;
      t.nvhdr = version;
      t.samples = test_wavelet(40, 3);
      sweep("cut.sac", sac_bytes(t, be), never);
    }
  }
}

TEST(Truncation, SegyBetweenTracesIsAShorterGather) {
  if (!segyio_available()) GTEST_SKIP() << "python3-segyio is not installed";
  for (const auto& [format, be] : {std::pair{5, true}, std::pair{3, false}, std::pair{1, false}}) {
    SegyLayout layout;
    layout.format = format;
    layout.big_endian = be;
    for (int t = 0; t < 3; ++t) layout.traces.push_back({t * 10, 1, test_wavelet(30, 50)});
    const std::string path = fresh_path("whole.sgy");
    write_segy(path, layout);
    const std::size_t trace_size = 240 + 30 * (format == 3 ? 2 : 4);
    sweep("cut.sgy", read_bytes(path), [&](std::size_t size) {
      return size > 3600 && (size - 3600) % trace_size == 0;
    });
  }
}

TEST(Truncation, MiniseedBetweenRecordsIsAShorterDay) {
  for (const auto& [encoding, order] : {std::pair{DE_STEIM2, 1}, std::pair{DE_FLOAT32, 0}, std::pair{DE_INT16, 1}}) {
    MiniseedSegment s;
    s.encoding = encoding;
    s.byte_order = order;
    s.record_length = 256;
    // Noise does not compress: several records for every encoding.
    for (int i = 0; i < 1000; ++i) s.samples.push_back(static_cast<float>((i * 7919) % 2001 - 1000));
    const auto bytes = miniseed_bytes(s);
    ASSERT_GE(bytes.size(), 3u * 256u);
    sweep("cut.mseed", bytes, [](std::size_t size) { return size > 0 && size % 256 == 0; });
  }
}

TEST(Truncation, TraceFileEitherReadsOrIsRefused) {
  const std::string text =
      "   0.0625000     0.00000\n    2\n    10.00000     0.00000\n    3\n    1.0000000\n"
      "   0.0000000   1.0000000  -1.0000000\n    30.00000     0.00000\n    3\n    1.0000000\n"
      "   0.0000000   0.5000000  -0.5000000\n";
  const std::string path = fresh_path("cut.10");
  for (std::size_t size = 0; size <= text.size(); ++size) {
    write_bytes(path, std::vector<unsigned char>(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(size)));
    // A last record cut short reads as padded with blanks: both outcomes
    // are right, a crash or a stray exception is not.
    (void)accepted(path);
  }
}

// The program itself at a sample of the cuts: exit 2 with a message, or 0
// with a whole document; never a signal.
TEST(Truncation, TheProgramExitsCleanlyAtEveryCut) {
  MiniseedSegment s;
  s.samples = test_wavelet(400, 1000);
  SacTrace t;
  t.samples = test_wavelet(40, 3);
  const std::vector<std::vector<unsigned char>> fixtures{miniseed_bytes(s), sac_bytes(t, false)};
  for (const auto& bytes : fixtures) {
    const std::string path = fresh_path("cut.bin");
    for (std::size_t size = 0; size < bytes.size(); size += 97) {
      write_bytes(path, std::vector<unsigned char>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size)));
      const std::string output = fresh_path("cut.eps");
      const SectionRun run = run_section({path}, output);
      ASSERT_TRUE(run.status == 0 || run.status == 2) << "cut to " << size << ": status " << run.status << " " << run.err;
      if (run.status == 2) {
        EXPECT_NE(run.err.find(path), std::string::npos) << run.err;
        EXPECT_TRUE(run.document.empty()) << "a refused input left a document";
      } else {
        EXPECT_NE(run.document.find("%%Trailer"), std::string::npos);
      }
    }
  }
}

}  // namespace

// ---- the fuzz harness's seeds, replayed in every build ----

#include <filesystem>

#include "fuzz/section_harness.hpp"
#include "support/document.hpp"

namespace {

std::vector<unsigned char> seed(std::uint8_t options, std::uint8_t values, std::vector<unsigned char> file) {
  file.insert(file.begin(), {options, values});
  return file;
}

// Writes the seed corpus when PLUME_WRITE_SECTION_CORPUS names a directory
// (tests/fuzz/corpus/section holds the committed seeds).
TEST(SectionFuzzSeeds, WrittenFromTheIndependentWriters) {
  const char* dir = std::getenv("PLUME_WRITE_SECTION_CORPUS");
  if (dir == nullptr) GTEST_SKIP() << "set PLUME_WRITE_SECTION_CORPUS to write the seeds";
  SacTrace sac;
  sac.samples = test_wavelet(12, 2);
  sac.dist = 120;
  sac.kstnm = "ANMO";
  SacTrace sac7 = sac;
  sac7.nvhdr = 7;
  MiniseedSegment steim;
  steim.encoding = DE_STEIM2;
  steim.record_length = 256;
  steim.samples = test_wavelet(300, 500);
  MiniseedSegment floats;
  floats.byte_order = 0;
  floats.record_length = 256;
  floats.samples = test_wavelet(80, 1);
  const std::string text =
      "   0.0625000     0.00000\n    2\n    10.00000     0.00000\n    3\n    1.0000000\n"
      "   0.0000000   1.0000000  -1.0000000\n    30.00000     0.00000\n    3\n    1.0000000\n"
      "   0.0000000   0.5000000  -0.5000000\n";
  std::vector<std::pair<std::string, std::vector<unsigned char>>> seeds{
      {"sac-big", seed(0x01, 0x00, sac_bytes(sac, true))},
      {"sac-little-v7", seed(0x2b, 0x13, sac_bytes(sac7, false))},
      {"mseed-steim2", seed(0x11, 0x2a, miniseed_bytes(steim))},
      {"mseed-float-little", seed(0x4c, 0x05, miniseed_bytes(floats))},
      {"trace-file", seed(0x03, 0x00, {text.begin(), text.end()})}};
  const std::string alphanumeric = sac_alphanumeric(sac);
  seeds.push_back({"sac-alphanumeric", seed(0x05, 0x01, {alphanumeric.begin(), alphanumeric.end()})});
  MiniseedSegment volume_data = steim;
  volume_data.samples = test_wavelet(120, 300);
  seeds.push_back({"seed-volume", seed(0x09, 0x02, seed_volume({volume_data}))});
  if (segyio_available()) {
    for (const auto& [format, be] : {std::pair{5, true}, std::pair{3, false}}) {
      SegyLayout layout;
      layout.format = format;
      layout.big_endian = be;
      layout.traces = {{100, -10, test_wavelet(10, 40)}};
      const std::string path = fresh_path("seed.sgy");
      write_segy(path, layout);
      seeds.push_back({"segy-format" + std::to_string(format), seed(0x21, 0x07, read_bytes(path))});
    }
    SegyLayout su;
    su.seismic_unix = true;
    su.big_endian = false;
    su.traces = {{100, 1, test_wavelet(10, 40)}, {200, 1, test_wavelet(10, 20)}};
    const std::string path = fresh_path("seed.su");
    write_segy(path, su);
    seeds.push_back({"seismic-unix-little", seed(0x41, 0x03, read_bytes(path))});
  }
  for (const auto& [name, bytes] : seeds) write_bytes(std::string(dir) + "/" + name, bytes);
}

TEST(SectionFuzzSeeds, ReplayWithoutFaultAndDrawWholeDocuments) {
  const char* source = std::getenv("PLUME_SOURCE_DIR");
  ASSERT_NE(source, nullptr);
  const std::filesystem::path corpus = std::filesystem::path(source) / "tests/fuzz/corpus/section";
  ASSERT_TRUE(std::filesystem::is_directory(corpus));
  int drawn = 0;
  for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
    const auto bytes = read_bytes(entry.path().string());
    const std::string document = fresh_path("seed.eps");
    plume::fuzz::section_one_input(bytes, document);
    if (!std::filesystem::exists(document)) continue;
    ++drawn;
    std::string out;
    EXPECT_TRUE(plume::testing::renders_cleanly(document, &out)) << entry.path() << ": " << out;
  }
  EXPECT_GE(drawn, 5) << "the seeds should be accepted inputs";
}

}  // namespace
