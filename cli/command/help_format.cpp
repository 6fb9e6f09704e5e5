#include "cli/command/help_format.h"

namespace cli {
namespace {

class PlainFormatter : public CLI::Formatter {
 public:
  std::string make_option_name(const CLI::Option* option, bool positional) const override {
    if (positional) return option->get_name(true, false);
    // "--gamma,--no-gamma{false}" without the flag's default value.
    std::string name = option->get_name(false, true);
    for (std::size_t open; (open = name.find('{')) != std::string::npos;) {
      const std::size_t close = name.find('}', open);
      name.erase(open, close == std::string::npos ? std::string::npos : close - open + 1);
    }
    return name;
  }

  std::string make_option_opts(const CLI::Option* option) const override {
    if (!option->get_option_text().empty()) return " " + option->get_option_text();
    if (option->get_type_size() == 0) return "";
    std::string type = option->get_type_name();
    return type.empty() ? "" : " " + type.substr(0, type.find(':'));
  }
};

}  // namespace

std::shared_ptr<CLI::Formatter> PlainHelpFormatter() {
  return std::make_shared<PlainFormatter>();
}

}  // namespace cli
