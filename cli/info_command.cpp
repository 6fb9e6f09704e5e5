#include "cli/info_command.h"

#include <string>
#include <vector>

#include "cli/cli_error.h"
#include "cli/controls.h"
#include "cli/effect_session.h"
#include "hostsim/param_store.h"
#include "hostsim/property_list.h"
#include "text/cp936.h"

namespace cli {
namespace {

// Terminal columns of UTF-8 text: the effect's labels are Chinese, two columns a character.
std::size_t DisplayWidth(const std::string& text) {
  std::size_t width = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if ((byte & 0xC0) == 0x80) continue;  // continuation byte
    width += byte < 0x80 ? 1 : 2;
  }
  return width;
}

std::string Padded(const std::string& text, std::size_t width) {
  const std::size_t used = DisplayWidth(text);
  return text + std::string(used < width ? width - used : 1, ' ');
}

std::string TypeName(const PF_ParamDef& def) {
  switch (def.param_type) {
    case PF_Param_SLIDER:
      return "integer slider";
    case PF_Param_FLOAT_SLIDER:
      return "float slider";
    case PF_Param_POPUP:
      return "popup " + text::Cp936ToUtf8(def.u.pd.u.namesptr ? def.u.pd.u.namesptr : "");
    case PF_Param_CHECKBOX:
      return "checkbox";
    case PF_Param_COLOR:
      return "colour";
    default:
      return "type " + std::to_string(def.param_type);
  }
}

// The flag sits beside the label it sets.
struct Row {
  std::string id, label, option, type, range, dephault;
};

Row DescribeParameter(const PF_ParamDef& def) {
  Row row{std::to_string(def.uu.id), text::Cp936ToUtf8(def.name), "", TypeName(def), "", ""};
  for (const Control& control : Controls()) {
    if (control.index == def.uu.id) {
      row.range = DescribeRange(control, def);
      row.dephault = DescribeDefault(control, def);
      row.option = "--" + std::string(control.name);
    } else if (control.enable_index == def.uu.id && def.param_type == PF_Param_CHECKBOX) {
      row.range = "on or off";
      row.dephault = def.u.bd.dephault ? "on" : "off";
      row.option = "--" + std::string(control.name) + " COLOUR|off";
    }
  }
  return row;
}

void PrintTable(const std::vector<Row>& rows, std::ostream& out) {
  std::size_t widths[6] = {};
  for (const Row& row : rows) {
    const std::string* cells[] = {&row.id,   &row.label, &row.option,
                                  &row.type, &row.range, &row.dephault};
    for (int i = 0; i < 6; ++i) widths[i] = std::max(widths[i], DisplayWidth(*cells[i]) + 2);
  }
  for (const Row& row : rows) {
    out << "  " << Padded(row.id, widths[0]) << Padded(row.label, widths[1])
        << Padded(row.option, widths[2]) << Padded(row.type, widths[3])
        << Padded(row.range, widths[4]) << row.dephault << "\n";
  }
}

hostsim::PropertyList ReadProperties(const std::filesystem::path& module_path) {
  try {
    return hostsim::ReadPropertyList(module_path);
  } catch (const std::exception& error) {
    throw CliError(module_path.string(), error.what());
  }
}

}  // namespace

std::string EffectVersionLine(const std::filesystem::path& module_path) {
  const hostsim::PropertyList properties = ReadProperties(module_path);
  return properties.name + " " + VersionText(properties.version) + " (" + properties.match_name +
         ")";
}

void RunInfo(const std::optional<std::filesystem::path>& plugin, std::ostream& out) {
  const std::filesystem::path module_path = LocateEffectModule(plugin);
  const hostsim::PropertyList properties = ReadProperties(module_path);
  EffectSession session(module_path);
  std::string about;
  if (session.host().About(&about) != PF_Err_NONE) {
    throw CliError(module_path.string(), "the effect failed to describe itself");
  }

  out << properties.name << " " << VersionText(properties.version) << "\n"
      << "  category:    " << properties.category << "\n"
      << "  match name:  " << properties.match_name << "\n"
      << "  module:      " << module_path.string() << "\n\n"
      << "About:\n";
  // The host breaks lines with carriage returns.
  const std::string lines = text::Cp936ToUtf8(about);
  std::size_t start = 0;
  while (start <= lines.size()) {
    const std::size_t end = std::min(lines.find('\r', start), lines.size());
    const std::string line = lines.substr(start, end - start);
    out << (line.empty() ? "" : "  ") << line << "\n";
    start = end + 1;
  }

  std::vector<Row> rows = {{"id", "label", "option", "type", "range", "default"}};
  for (const PF_ParamDef& def : session.host().params().declared()) {
    rows.push_back(DescribeParameter(def));
  }
  out << "\nParameters:\n";
  PrintTable(rows, out);
}

std::map<std::string, std::string, std::less<>> ControlRanges(
    const std::optional<std::filesystem::path>& plugin) {
  std::map<std::string, std::string, std::less<>> ranges;
  try {
    EffectSession session(LocateEffectModule(plugin));
    for (const PF_ParamDef& def : session.host().params().declared()) {
      for (const Control& control : Controls()) {
        const std::string name(control.name);
        const bool numeric =
            control.kind == ControlKind::kWholeNumber || control.kind == ControlKind::kNumber;
        if (control.index == def.uu.id && control.kind != ControlKind::kColor) {
          ranges[name] = (numeric ? DescribeRange(control, def) + ", " : std::string()) +
                         "default " + DescribeDefault(control, def);
        } else if (control.enable_index == def.uu.id && def.param_type == PF_Param_CHECKBOX) {
          ranges[name] = def.u.bd.dephault ? "default on" : "default off";
        }
      }
    }
  } catch (const std::exception&) {
    ranges.clear();
  }
  return ranges;
}

}  // namespace cli
