#include "cli/info/info_command.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/controls/controls.h"
#include "cli/report/cli_error.h"
#include "engine/effect_module.h"
#include "engine/effect_session.h"
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

// A parameter the effect declared, with the control whose flag sets it: the table, help's
// ranges and the JSON are all made from these.
struct DeclaredControl {
  const PF_ParamDef* def;
  const Control* control;  // null when no flag sets the parameter
  bool enables;            // the checkbox that switches the control on (the tint's)
};

std::vector<DeclaredControl> MatchControls(const hostsim::ParamStore& params) {
  std::vector<DeclaredControl> matched;
  for (const PF_ParamDef& def : params.declared()) {
    DeclaredControl entry{&def, nullptr, false};
    for (const Control& control : Controls()) {
      if (control.index == def.uu.id) {
        entry = {&def, &control, false};
      } else if (control.enable_index == def.uu.id && def.param_type == PF_Param_CHECKBOX) {
        entry = {&def, &control, true};
      }
    }
    matched.push_back(entry);
  }
  return matched;
}

// The effect speaks Simplified Chinese; the command's flags are English. Its labels and about
// lines in English, beside its own words (a module that says something else shows it as is).
constexpr std::pair<std::string_view, std::string_view> kEnglish[] = {
    {"辉光半径", "Glow radius"},
    {"辉光强度", "Glow intensity"},
    {"辉光模式", "Glow mode"},
    {"启用色调", "Enable tint"},
    {"色调", "Tint"},
    {"色调模式", "Tint mode"},
    {"不相乘(所需的文本)", "Unmultiply (for text)"},
    {"伽马校正", "Gamma correction"},
    {"重复边缘像素", "Repeat edge pixels"},
    {"Velmora是一个基于物理的辉光模拟器，模仿光物理和光的行为，与发光的方式.",
     "Velmora is a physically based glow simulator, after the physics of light and the way "
     "light glows."},
    {"十级多尺度辉光，屏幕或添加模式叠加。",
     "A ten-level multi-scale glow, combined by Screen or Add."},
    {"支持8位、16位和32位浮点色彩深度。", "Works at 8 bits, 16 bits and 32-bit float."},
    {"可选色调、伽马校正与边缘像素重复。", "Optional tint, gamma correction and edge repeat."},
    {"Velmora 开源项目，以 MIT 许可证发布。",
     "Velmora is an open-source project, released under the MIT licence."},
};

std::string English(std::string_view words) {
  for (const auto& [own, english] : kEnglish) {
    if (own == words) return std::string(english);
  }
  return "";
}

// The flag sits beside the label it sets.
struct Row {
  std::string id, label, english, option, type, range, dephault;
};

Row DescribeParameter(const DeclaredControl& entry) {
  const PF_ParamDef& def = *entry.def;
  const std::string label = text::Cp936ToUtf8(def.name);
  Row row{std::to_string(def.uu.id), label, English(label), "", TypeName(def), "", ""};
  if (!entry.control) return row;
  const std::string flag = "--" + std::string(entry.control->name);
  if (entry.enables) {
    row.range = "on or off";
    row.dephault = def.u.bd.dephault ? "on" : "off";
    row.option = flag + " COLOUR|off";
  } else {
    row.range = DescribeRange(*entry.control, def);
    row.dephault = DescribeDefault(*entry.control, def);
    row.option = flag;
  }
  return row;
}

// One control as JSON: numbers and switches typed, a popup's choices listed, a colour's
// default "off" while its switch is off by default.
nlohmann::ordered_json ControlJson(const DeclaredControl& entry, const DeclaredControl* enabler) {
  const Control& control = *entry.control;
  const PF_ParamDef& def = *entry.def;
  static const char* const kKindNames[] = {"whole number", "number", "choice", "switch", "colour"};
  nlohmann::ordered_json json;
  json["name"] = control.name;
  json["flag"] = "--" + std::string(control.name);
  json["label"] = text::Cp936ToUtf8(def.name);
  json["label_english"] = English(json["label"].get<std::string>());
  json["parameter"] = def.uu.id;
  json["help"] = control.help;
  json["kind"] = kKindNames[static_cast<int>(control.kind)];
  switch (control.kind) {
    case ControlKind::kWholeNumber:
      json["range"] = {def.u.sd.valid_min, def.u.sd.valid_max};
      json["default"] = def.u.sd.dephault;
      break;
    case ControlKind::kNumber:
      json["range"] = {def.u.fs_d.valid_min, def.u.fs_d.valid_max};
      json["default"] = def.u.fs_d.dephault;
      break;
    case ControlKind::kChoice: {
      const std::size_t offered =
          std::min<std::size_t>(control.choices.size(), std::max(0, int{def.u.pd.num_choices}));
      json["choices"] =
          std::vector<std::string_view>(control.choices.begin(), control.choices.begin() + offered);
      json["default"] = DescribeDefault(control, def);
      break;
    }
    case ControlKind::kSwitch:
      json["default"] = def.u.bd.dephault != 0;
      break;
    case ControlKind::kColor: {
      const std::string colour = DescribeDefault(control, def);
      json["default"] = enabler && !enabler->def->u.bd.dephault ? "off" : colour;
      json["colour"] = colour;
      break;
    }
  }
  return json;
}

void PrintTable(const std::vector<Row>& rows, std::ostream& out) {
  std::size_t widths[7] = {};
  for (const Row& row : rows) {
    const std::string* cells[] = {&row.id,   &row.label, &row.english, &row.option,
                                  &row.type, &row.range, &row.dephault};
    for (int i = 0; i < 7; ++i) widths[i] = std::max(widths[i], DisplayWidth(*cells[i]) + 2);
  }
  for (const Row& row : rows) {
    out << "  " << Padded(row.id, widths[0]) << Padded(row.label, widths[1])
        << Padded(row.english, widths[2]) << Padded(row.option, widths[3])
        << Padded(row.type, widths[4]) << Padded(row.range, widths[5]) << row.dephault << "\n";
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
  return properties.name + " " + velmora::engine::VersionText(properties.version) + " (" +
         properties.match_name + ")";
}

void RunInfo(const std::optional<std::filesystem::path>& plugin, std::ostream& out) {
  const std::filesystem::path module_path = velmora::engine::LocateEffectModule(plugin);
  const hostsim::PropertyList properties = ReadProperties(module_path);
  velmora::engine::EffectSession session(module_path);
  std::string about;
  if (session.host().About(&about) != PF_Err_NONE) {
    throw CliError(module_path.string(), "the effect failed to describe itself");
  }

  out << properties.name << " " << velmora::engine::VersionText(properties.version) << "\n"
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
    if (const std::string english = English(line); !english.empty()) {
      out << "  " << english << "\n";
    }
    start = end + 1;
  }

  std::vector<Row> rows = {{"id", "label", "in English", "option", "type", "range", "default"}};
  for (const DeclaredControl& entry : MatchControls(session.host().params())) {
    rows.push_back(DescribeParameter(entry));
  }
  out << "\nParameters:\n";
  PrintTable(rows, out);
}

std::string InfoJson(const std::filesystem::path& module_path, const hostsim::ParamStore& params) {
  const hostsim::PropertyList properties = ReadProperties(module_path);
  const std::vector<DeclaredControl> matched = MatchControls(params);
  nlohmann::ordered_json json;
  json["effect"] = {{"name", properties.name},
                    {"version", velmora::engine::VersionText(properties.version)},
                    {"match_name", properties.match_name},
                    {"category", properties.category}};
  json["controls"] = nlohmann::ordered_json::array();
  for (const DeclaredControl& entry : matched) {
    if (!entry.control || entry.enables) continue;
    const auto enabler = std::find_if(matched.begin(), matched.end(), [&](const auto& other) {
      return other.control == entry.control && other.enables;
    });
    json["controls"].push_back(ControlJson(entry, enabler == matched.end() ? nullptr : &*enabler));
  }
  // What the tools build around the effect: not the effect's parameters, so apart.
  json["options"] = nlohmann::ordered_json::array();
  for (const velmora::engine::CompRange& range : velmora::engine::CompRanges()) {
    json["options"].push_back({{"name", range.name},
                               {"flag", "--" + std::string(range.name)},
                               {"kind", "number"},
                               {"range", {range.min, range.max}},
                               {"slider", {range.min, range.slider_max}},
                               {"default", range.fallback},
                               {"help", range.help}});
  }
  json["options"].push_back({{"name", velmora::engine::kGlowPassName},
                             {"flag", "--" + std::string(velmora::engine::kGlowPassName)},
                             {"kind", "switch"},
                             {"default", false},
                             {"help", velmora::engine::kGlowPassHelp}});
  // Labels are the effect's text: a byte that is not UTF-8 must not stop the listing.
  return json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

void RunInfoJson(const std::optional<std::filesystem::path>& plugin, std::ostream& out) {
  const std::filesystem::path module_path = velmora::engine::LocateEffectModule(plugin);
  ReadProperties(module_path);  // a module without a property list is refused before it loads
  velmora::engine::EffectSession session(module_path);
  out << InfoJson(module_path, session.host().params());
}

std::map<std::string, std::string, std::less<>> ControlRanges(
    const std::optional<std::filesystem::path>& plugin) {
  std::map<std::string, std::string, std::less<>> ranges;
  try {
    velmora::engine::EffectSession session(velmora::engine::LocateEffectModule(plugin));
    for (const DeclaredControl& entry : MatchControls(session.host().params())) {
      // The tint's range is its switch's: help shows the colour's values itself.
      if (!entry.control || (entry.control->kind == ControlKind::kColor && !entry.enables)) {
        continue;
      }
      const Row row = DescribeParameter(entry);
      const bool numeric = entry.control->kind == ControlKind::kWholeNumber ||
                           entry.control->kind == ControlKind::kNumber;
      ranges[std::string(entry.control->name)] =
          (numeric ? row.range + ", " : std::string()) + "default " + row.dephault;
    }
  } catch (const std::exception&) {
    ranges.clear();
  }
  return ranges;
}

}  // namespace cli
