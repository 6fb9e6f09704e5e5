#include "hostsim/property_list.h"

#include <fstream>
#include <iterator>
#include <optional>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

namespace hostsim {
namespace {

constexpr std::size_t kHeaderSize = 10;
constexpr std::size_t kPropertyHeaderSize = 16;
constexpr std::size_t kMaxListSize = 1 << 20;  // far above any real list; guards the reader

[[noreturn]] void Fail(const std::string& what) {
  throw PropertyListError("property list: " + what);
}

// Bounds-checked little-endian reads.
class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::size_t size() const { return bytes_.size(); }

  std::uint32_t U32(std::size_t at, const char* what) const {
    Need(at, 4, what);
    return std::uint32_t{bytes_[at]} | std::uint32_t{bytes_[at + 1]} << 8 |
           std::uint32_t{bytes_[at + 2]} << 16 | std::uint32_t{bytes_[at + 3]} << 24;
  }
  std::uint16_t U16(std::size_t at, const char* what) const {
    Need(at, 2, what);
    return static_cast<std::uint16_t>(bytes_[at] | bytes_[at + 1] << 8);
  }
  std::span<const std::uint8_t> Bytes(std::size_t at, std::size_t count, const char* what) const {
    Need(at, count, what);
    return bytes_.subspan(at, count);
  }

 private:
  void Need(std::size_t at, std::size_t count, const char* what) const {
    if (at > bytes_.size() || count > bytes_.size() - at)
      Fail(std::string("truncated ") + what + " at byte " + std::to_string(at));
  }
  std::span<const std::uint8_t> bytes_;
};

// A four-character code is stored as the number whose highest byte is its first character.
std::string FourCharCode(std::uint32_t value) {
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
          static_cast<char>(value >> 8), static_cast<char>(value)};
}

std::uint32_t DataU32(const Property& property) {
  if (property.data.size() != 4)
    Fail(property.key + " holds " + std::to_string(property.data.size()) + " bytes, not 4");
  return Reader(property.data).U32(0, property.key.c_str());
}

std::uint16_t DataU16(const Property& property, std::size_t at) {
  return Reader(property.data).U16(at, property.key.c_str());
}

std::string PascalString(const Property& property) {
  if (property.data.empty()) Fail(property.key + " is empty");
  const std::size_t length = property.data[0];
  if (length > property.data.size() - 1)
    Fail(property.key + " says " + std::to_string(length) + " characters but holds fewer");
  return {property.data.begin() + 1,
          property.data.begin() + 1 + static_cast<std::ptrdiff_t>(length)};
}

std::string CString(const Property& property) {
  for (std::size_t i = 0; i < property.data.size(); ++i)
    if (property.data[i] == 0)
      return {property.data.begin(), property.data.begin() + static_cast<std::ptrdiff_t>(i)};
  Fail(property.key + " has no terminating zero");
}

void Interpret(const Property& property, PropertyList& list) {
  if (property.vendor != "8BIM") return;  // another vendor's property: not ours to read
  const std::string& key = property.key;
  if (key == "kind")
    list.kind = FourCharCode(DataU32(property));
  else if (key == "name")
    list.name = PascalString(property);
  else if (key == "catg")
    list.category = PascalString(property);
  else if (key == "eMNA")
    list.match_name = PascalString(property);
  else if (key == "8664")
    list.entry_point = CString(property);
  else if (key == "ePVR" || key == "eSVR") {
    DataU32(property);  // exactly two 16-bit numbers
    (key == "ePVR" ? list.pipl_version_major : list.spec_version_major) = DataU16(property, 0);
    (key == "ePVR" ? list.pipl_version_minor : list.spec_version_minor) = DataU16(property, 2);
  } else if (key == "eVER")
    list.version = DataU32(property);
  else if (key == "eINF")
    list.info_flags = DataU16(property, 0);
  else if (key == "eGLO")
    list.out_flags = DataU32(property);
  else if (key == "eGL2")
    list.out_flags2 = DataU32(property);
  else if (key == "aeFL")
    list.reserved_info = DataU32(property);
}

}  // namespace

PropertyList ParsePropertyList(std::span<const std::uint8_t> bytes) {
  if (bytes.size() > kMaxListSize) Fail("larger than " + std::to_string(kMaxListSize) + " bytes");
  const Reader reader(bytes);
  if (const auto version = reader.U16(0, "header"); version != 1)
    Fail("header version is " + std::to_string(version) + ", not 1");
  if (reader.U32(2, "header") != 0) Fail("header's reserved word is not 0");
  const std::uint32_t count = reader.U32(6, "header");
  if (count > (bytes.size() - kHeaderSize) / kPropertyHeaderSize)
    Fail("claims " + std::to_string(count) + " properties, more than its " +
         std::to_string(bytes.size()) + " bytes can hold");

  PropertyList list;
  std::size_t at = kHeaderSize;
  for (std::uint32_t i = 0; i < count; ++i) {
    Property property;
    property.offset = at;
    property.vendor = FourCharCode(reader.U32(at, "property header"));
    property.key = FourCharCode(reader.U32(at + 4, "property header"));
    property.id = reader.U32(at + 8, "property header");
    const std::uint32_t length = reader.U32(at + 12, "property header");
    const std::size_t padded = (std::size_t{length} + 3) / 4 * 4;  // no overflow: size_t is 64-bit
    const auto data = reader.Bytes(at + kPropertyHeaderSize, padded, "property data");
    property.data.assign(data.begin(), data.begin() + length);
    at += kPropertyHeaderSize + padded;
    for (const Property& earlier : list.properties)
      if (earlier.vendor == property.vendor && earlier.key == property.key)
        Fail("property " + property.key + " appears twice");
    Interpret(property, list);
    list.properties.push_back(std::move(property));
  }
  if (at != bytes.size())
    Fail(std::to_string(bytes.size() - at) + " bytes follow the last property");
  if (list.kind.empty()) Fail("no kind property");
  if (list.entry_point.empty()) Fail("no entry point (8664) property");
  return list;
}

#ifdef _WIN32

PropertyList ReadPropertyList(const std::filesystem::path& module) {
  const HMODULE library = LoadLibraryExW(module.c_str(), nullptr,
                                         LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (!library) Fail(module.string() + ": cannot be opened");
  std::optional<PropertyList> list;
  std::string fault;
  // Type names of resources are compared without regard to case.
  if (const HRSRC resource = FindResourceW(library, MAKEINTRESOURCEW(16000), L"PiPL")) {
    const HGLOBAL loaded = LoadResource(library, resource);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = SizeofResource(library, resource);
    if (data) {
      try {
        list = ParsePropertyList({static_cast<const std::uint8_t*>(data), size});
      } catch (const PropertyListError& error) {
        fault = error.what();
      }
    } else {
      fault = "property list: " + module.string() + ": resource PiPL 16000 cannot be loaded";
    }
  } else {
    fault = "property list: " + module.string() + " has no resource PiPL 16000";
  }
  FreeLibrary(library);
  if (!list) throw PropertyListError(fault);
  return *list;
}

#else

PropertyList ReadPropertyList(const std::filesystem::path& module) {
  std::filesystem::path file = module;
  file.replace_extension(".pipl");
  std::ifstream in(file, std::ios::binary);
  if (!in) Fail(file.string() + ": cannot be opened");
  std::vector<std::uint8_t> bytes;
  char c;
  while (bytes.size() <= kMaxListSize && in.get(c)) bytes.push_back(static_cast<std::uint8_t>(c));
  try {
    return ParsePropertyList(bytes);
  } catch (const PropertyListError& error) {
    throw PropertyListError(std::string(error.what()) + " (" + file.string() + ")");
  }
}

#endif

}  // namespace hostsim
