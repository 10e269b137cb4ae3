// Replays fuzz inputs through a harness and keeps every document the harness
// closed normally, for a Ghostscript check outside the fuzz loop:
//
//   plume_fuzz_replay HARNESS OUTPUT_DIR INPUT...
//
// HARNESS is text or soup. The documents of input NAME become
// OUTPUT_DIR/NAME.<k>.eps; one line per document, "input<TAB>document",
// goes to standard output so that a failing document names its input.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/soup_harness.hpp"
#include "fuzz/text_harness.hpp"

namespace {

std::vector<std::uint8_t> read_bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: plume_fuzz_replay text|soup OUTPUT_DIR INPUT...\n";
    return 2;
  }
  const std::string_view harness = argv[1];
  if (harness != "text" && harness != "soup") {
    std::cerr << "plume_fuzz_replay: unknown harness " << harness << "\n";
    return 2;
  }
  const std::filesystem::path out = argv[2];
  std::filesystem::create_directories(out);
  for (int i = 3; i < argc; ++i) {
    const std::string input = argv[i];
    const std::string name = std::filesystem::path(input).filename().string();
    int serial = 0;
    plume::fuzz::DocumentSink sink;
    sink.prefix = (out / (name + ".slot")).string();
    sink.closed = [&](const std::string& path) {
      // A plot whose unit could not be connected to its slot (the unit of
      // an open plot) went to a unit file of its own: nothing to keep.
      if (!std::filesystem::exists(path)) return;
      // The slot file may be reused by a later open: keep a copy now.
      const auto kept = out / (name + "." + std::to_string(serial++) + ".eps");
      std::filesystem::copy_file(path, kept, std::filesystem::copy_options::overwrite_existing);
      std::cout << input << '\t' << kept.string() << '\n';
    };
    const auto bytes = read_bytes(input);
    if (harness == "text") {
      plume::fuzz::text_one_input(bytes, sink);
    } else {
      plume::fuzz::soup_one_input(bytes, sink);
    }
    for (int k = 0; k < plume::fuzz::kSlots; ++k) std::remove(sink.path(k).c_str());
  }
  return 0;
}
