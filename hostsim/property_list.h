#pragma once
// The effect's property list (PiPL): the resource a host reads before it loads the module, to
// learn that it is an effect, its names, its entry point, its versions and its global flags.

#include <cstdint>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace hostsim {

// One property as stored: four-character codes as text ("8BIM", "eVER"), the data without its
// padding, and where the property starts in the list.
struct Property {
  std::string vendor;
  std::string key;
  std::uint32_t id = 0;
  std::vector<std::uint8_t> data;
  std::size_t offset = 0;
};

struct PropertyList {
  std::string kind;  // "eFKT" for an effect
  std::string name;
  std::string category;
  std::string match_name;
  std::string entry_point;  // the export the host calls on 64-bit Windows
  std::uint16_t pipl_version_major = 0, pipl_version_minor = 0;
  std::uint16_t spec_version_major = 0, spec_version_minor = 0;
  std::uint32_t version = 0;  // the PF_VERSION word
  std::uint16_t info_flags = 0;
  std::uint32_t out_flags = 0;
  std::uint32_t out_flags2 = 0;
  std::uint32_t reserved_info = 0;
  std::vector<Property> properties;  // all of them, in order
};

struct PropertyListError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Parses untrusted bytes; throws PropertyListError naming the first fault found.
PropertyList ParsePropertyList(std::span<const std::uint8_t> bytes);

// The list of an effect module: on Windows its resource PiPL 16000, elsewhere the .pipl file the
// build writes beside the module. Throws PropertyListError when it is missing or malformed.
PropertyList ReadPropertyList(const std::filesystem::path& module);

}  // namespace hostsim
