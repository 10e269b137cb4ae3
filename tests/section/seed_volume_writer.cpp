#include "section/seed_volume_writer.hpp"

#include <cstdio>
#include <stdexcept>
#include <string>

namespace section_test {
namespace {

constexpr std::size_t kRecordLength = 4096;  // 2^12, as blockette 10 says

// A blockette: its type, its length (4 digits, the whole blockette) and
// its fields as written.
std::string blockette(const char* type, const std::string& fields) {
  char length[8];
  std::snprintf(length, sizeof length, "%04zu", 7 + fields.size());
  return std::string(type) + length + fields;
}

std::string sequence(int n, char type) {
  char head[16];
  std::snprintf(head, sizeof head, "%06d%c ", n, type);
  return head;
}

std::string control_record(int n, char type, const std::string& blockettes) {
  std::string record = sequence(n, type) + blockettes;
  if (record.size() > kRecordLength) throw std::runtime_error("control header longer than a record");
  record.resize(kRecordLength, ' ');
  return record;
}

}  // namespace

std::vector<unsigned char> seed_volume(const std::vector<MiniseedSegment>& segments) {
  const std::string station = segments.empty() ? "ST01" : segments.front().station;
  char padded[8];
  std::snprintf(padded, sizeof padded, "%-5s", station.c_str());
  // Blockette 10: version 02.4, record length 2^12, start, end and volume
  // times, organisation, label.
  const std::string b10 = blockette("010", "02.412" "2026,343,00:00:00.0000~" "2026,344,00:00:00.0000~"
                                           "2026,343,12:00:00.0000~" "Plume tests~" "Test volume~");
  // Blockette 11: one station, its header in record 3.
  const std::string b11 = blockette("011", std::string("001") + padded + "000003");
  // Blockette 33: abbreviation 001.
  const std::string b33 = blockette("033", "001Test instrument~");
  // Blockette 50: station, coordinates, one channel, no comments, site
  // name, network identifier, word orders, dates, update flag, network.
  const std::string b50 = blockette("050", std::string(padded) + "+34.945900-106.457200+1850.00001000Albuquerque~" +
                                               "0013210102026,001,00:00:00.0000~~NXX");
  // Blockette 52: channel BHZ, instrument 001, units, coordinates, depth,
  // azimuth, dip, format code, record length exponent, rate, drift, flags.
  const std::string b52 = blockette("052", std::string("  BHZ0000001~001002+34.945900-106.457200+1850.0") +
                                               "100.0  0.0-90.0000012" "1.6000E+01" "0.0000E+00" "0000CG~" +
                                               "2026,001,00:00:00.0000~~N");
  std::string volume = control_record(1, 'V', b10 + b11) + control_record(2, 'A', b33) + control_record(3, 'S', b50 + b52);
  std::vector<unsigned char> out(volume.begin(), volume.end());
  int n = 4;
  for (MiniseedSegment s : segments) {
    s.record_length = static_cast<int>(kRecordLength);
    const std::vector<unsigned char> data = miniseed_bytes(s);
    for (std::size_t at = 0; at < data.size(); at += kRecordLength) {
      const std::string head = sequence(n++, 'D');
      out.insert(out.end(), head.begin(), head.begin() + 6);
      out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(at + 6),
                 data.begin() + static_cast<std::ptrdiff_t>(at + kRecordLength));
    }
  }
  return out;
}

}  // namespace section_test
