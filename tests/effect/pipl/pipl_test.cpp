// The property list the build writes beside the module, read with the layout's rules, and the
// reader's refusal of malformed lists.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "hostsim/host.h"
#include "hostsim/property_list.h"
#include "tests/effect/plugin/host_words.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes GeneratedBytes() {
  std::filesystem::path file = VELMORA_MODULE_PATH;
  file.replace_extension(".pipl");
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Bytes Pascal(const std::string& text, std::size_t padded) {
  Bytes bytes(padded, 0);
  bytes[0] = static_cast<std::uint8_t>(text.size());
  std::copy(text.begin(), text.end(), bytes.begin() + 1);
  return bytes;
}

TEST(PropertyList, GeneratedListHasTheHostsLayout) {
  const Bytes bytes = GeneratedBytes();
  ASSERT_EQ(bytes.size(), 294u);
  // Header: 16-bit version 1, 32-bit 0, 32-bit count 12, all little-endian.
  EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 10), (Bytes{1, 0, 0, 0, 0, 0, 12, 0, 0, 0}));
  // Four-character codes are stored last character first.
  EXPECT_EQ(Bytes(bytes.begin() + 10, bytes.begin() + 18),
            (Bytes{'M', 'I', 'B', '8', 'd', 'n', 'i', 'k'}));

  const hostsim::PropertyList list = hostsim::ParsePropertyList(bytes);  // ends exactly at 294
  struct Expected {
    const char* key;
    Bytes data;
  };
  const std::vector<Expected> expected = {
      {"kind", {'T', 'K', 'F', 'e'}},
      {"name", Pascal("Velmora", 8)},
      {"catg", Pascal("Tarnwick", 12)},
      {"8664", {'E', 'n', 't', 'r', 'y', 'P', 'o', 'i', 'n', 't', 'F', 'u', 'n', 'c', 0, 0}},
      {"ePVR", {2, 0, 0, 0}},
      {"eSVR", {13, 0, 0, 0}},
      {"eVER", {0x00, 0x06, 0x08, 0x00}},
      {"eINF", {0, 0}},
      {"eGLO", {0x01, 0x02, 0x00, 0x06}},
      {"eGL2", {0x81, 0x14, 0x00, 0x00}},
      {"eMNA", Pascal("ADBE TarnwickVelmora", 24)},
      {"aeFL", {0, 0, 0, 0}},
  };
  ASSERT_EQ(list.properties.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const hostsim::Property& property = list.properties[i];
    SCOPED_TRACE(expected[i].key);
    EXPECT_EQ(property.vendor, "8BIM");
    EXPECT_EQ(property.key, expected[i].key);
    EXPECT_EQ(property.id, 0u);
    EXPECT_EQ(property.data, expected[i].data);
  }
  // eINF's length reads 2, yet the next property starts 4 bytes after its data.
  const hostsim::Property& info = list.properties[7];
  EXPECT_EQ(bytes[info.offset + 12], 2);
  EXPECT_EQ(list.properties[8].offset, info.offset + 16 + 4);

  EXPECT_EQ(list.kind, "eFKT");
  EXPECT_EQ(list.name, "Velmora");
  EXPECT_EQ(list.category, "Tarnwick");
  EXPECT_EQ(list.match_name, "ADBE TarnwickVelmora");
  EXPECT_EQ(list.entry_point, "EntryPointFunc");
  using namespace velmora_test;
  EXPECT_EQ(VersionText(list.version), kExpectedVersion);
  EXPECT_EQ(FlagNames(list.out_flags, kOutFlagBits), kExpectedOutFlags);
  EXPECT_EQ(FlagNames(list.out_flags2, kOutFlag2Bits), kExpectedOutFlags2);
}

TEST(PropertyList, AgreesWithWhatGlobalSetupReports) {
  const hostsim::PropertyList list = hostsim::ReadPropertyList(VELMORA_MODULE_PATH);
  hostsim::Host host(VELMORA_MODULE_PATH);
  ASSERT_EQ(host.GlobalSetup(), PF_Err_NONE);
  EXPECT_EQ(list.version, host.out_data().my_version);
  EXPECT_EQ(list.out_flags, static_cast<std::uint32_t>(host.out_data().out_flags));
  EXPECT_EQ(list.out_flags2, static_cast<std::uint32_t>(host.out_data().out_flags2));
  EXPECT_EQ(host.GlobalSetdown(), PF_Err_NONE);
}

void PutU32(Bytes& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

TEST(PropertyList, MalformedListsAreRefused) {
  const Bytes good = GeneratedBytes();
  const hostsim::PropertyList layout = hostsim::ParsePropertyList(good);
  auto at = [&](const char* key) {
    for (const auto& property : layout.properties)
      if (property.key == key) return property.offset;
    throw std::logic_error(key);
  };
  struct Case {
    const char* what;
    std::function<void(Bytes&)> spoil;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"empty", [](Bytes& b) { b.clear(); }, "truncated header"},
      {"cut inside the header", [](Bytes& b) { b.resize(9); }, "truncated header"},
      {"cut inside the last padding", [](Bytes& b) { b.pop_back(); }, "truncated property data"},
      {"one byte too many", [](Bytes& b) { b.push_back(0); }, "1 bytes follow"},
      {"wrong header version", [](Bytes& b) { b[0] = 2; }, "header version is 2"},
      {"more properties than bytes", [](Bytes& b) { PutU32(b, 6, 0xFFFFFFFF); }, "claims"},
      {"one property too many", [](Bytes& b) { PutU32(b, 6, 13); }, "truncated property header"},
      {"data length past the end", [&](Bytes& b) { PutU32(b, at("name") + 12, 0xFFFFFFF0); },
       "truncated property data"},
      {"string longer than its data", [&](Bytes& b) { b[at("name") + 16] = 8; }, "holds fewer"},
      {"entry point without its zero",
       [&](Bytes& b) { b[at("8664") + 16 + 14] = b[at("8664") + 16 + 15] = 'x'; },
       "no terminating zero"},
      {"flags word of the wrong size", [&](Bytes& b) { PutU32(b, at("eGLO") + 12, 3); },
       "eGLO holds 3 bytes"},
      {"a key twice",
       [&](Bytes& b) {
         b[at("catg") + 4] = 'e', b[at("catg") + 5] = 'm', b[at("catg") + 6] = 'a',
                        b[at("catg") + 7] = 'n';
       },
       "appears twice"},
      {"no entry point", [&](Bytes& b) { b[at("8664") + 4] = 'X'; }, "no entry point"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes bytes = good;
    c.spoil(bytes);
    try {
      hostsim::ParsePropertyList(bytes);
      ADD_FAILURE() << "accepted";
    } catch (const hostsim::PropertyListError& error) {
      EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
    }
  }
}

}  // namespace
