// Pieces of velmora preview without a server: the command line Save preset shows, which must
// read back in a shell as the words it was made of, and the preset text, which must read back
// through --preset's reader to the same values.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "cli/controls/controls.h"
#include "cli/controls/preset_file.h"
#include "cli/preview/preset_text.h"
#include "engine/effect_module.h"
#include "engine/effect_session.h"
#include "hostsim/param_store.h"

namespace {

using cli::preview::RenderCommand;
using cli::preview::ShellWord;

// What /bin/sh makes of a word: printf '%s\n' WORD.
std::string ShellReads(const std::string& word) {
  const std::string command = "printf '%s' " + word;
  FILE* pipe = popen(command.c_str(), "r");
  std::string text;
  char buffer[256];
  std::size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, got);
  pclose(pipe);
  return text;
}

TEST(PreviewPartsTest, TheRenderCommandNamesTheInputAndThePreset) {
  struct Case {
    cli::preview::RenderCommandParts parts;
    std::string command;
  };
  const Case cases[] = {
      {{"samples/sample.png", std::nullopt, "velmora-preset.toml", std::nullopt, std::nullopt},
       "velmora render samples/sample.png sample-glow.png --preset velmora-preset.toml"},
      {{"plates/shot.####.exr", 1042, "look.toml", std::nullopt, std::nullopt},
       "velmora render 'plates/shot.####.exr' 'shot-glow.####.png' --frames 1042 --preset "
       "look.toml"},
      {{"my shot's.png", std::nullopt, "a b.toml", std::filesystem::path("/opt/v/Velmora.so"),
        std::nullopt},
       "velmora --plugin /opt/v/Velmora.so render 'my shot'\\''s.png' 'my shot'\\''s-glow.png' "
       "--preset 'a b.toml'"},
      // A preset that names a view is rendered through the config the preview showed it in.
      {{"plate.exr", std::nullopt, "look.toml", std::nullopt, std::filesystem::path("cfg/s.ocio")},
       "velmora render plate.exr plate-glow.png --preset look.toml --ocio cfg/s.ocio"},
  };
  for (const Case& c : cases) EXPECT_EQ(RenderCommand(c.parts), c.command);
}

TEST(PreviewPartsTest, AShellReadsEachWordBackUnchanged) {
  for (const std::string word : {"plain.png", "two words.png", "it's.png", "$(touch x).png", "`x`",
                                 "a\"b", "#start", "tab\there", "back\\slash", ""}) {
    EXPECT_EQ(ShellReads(ShellWord(word)), word) << ShellWord(word);
  }
}

// Values written as the parameters hold them read back through the preset reader and the
// flags' checks to the same parameters.
TEST(PreviewPartsTest, ThePresetReadsBackToTheSameValues) {
  velmora::engine::EffectSession session(VELMORA_MODULE_PATH);
  cli::ControlSettings settings;
  for (const auto& [name, text] :
       std::initializer_list<std::pair<std::string, std::string>>{{"radius", "0042"},
                                                                  {"intensity", "1e-1"},
                                                                  {"mode", "ADD"},
                                                                  {"tint", "0.25,0.5,1"},
                                                                  {"tint-mode", "light-blend"},
                                                                  {"gamma", "yes"},
                                                                  {"unmultiply", "off"}}) {
    settings[name] = cli::ControlSetting{text, name};
  }
  const cli::GlowControls first = cli::ParseControls(settings, session.declared());
  const std::string text = cli::preview::PresetToml(settings, first);
  EXPECT_EQ(text,
            "# velmora preset: velmora render IN OUT --preset FILE\n"
            "radius = 42\nintensity = 0.1\nmode = \"add\"\ntint = \"0.25,0.5,1\"\n"
            "tint-mode = \"light-blend\"\nunmultiply = false\ngamma = true\n");

  // Written into the host's parameters, both give the same values.
  hostsim::ParamStore& params = session.host().params();
  velmora::engine::WriteControls(first, params);
  std::vector<PF_ParamDef> written;
  for (std::size_t i = 0; i < params.size(); ++i) written.push_back(params[static_cast<int>(i)]);
  cli::ControlSettings again;
  cli::MergePreset(again, cli::ParsePreset(text, "saved.toml"), "saved.toml");
  velmora::engine::WriteControls(cli::ParseControls(again, session.declared()), params);
  for (std::size_t i = 1; i < params.size(); ++i) {
    EXPECT_EQ(std::memcmp(&written[i].u, &params[static_cast<int>(i)].u, sizeof written[i].u), 0)
        << "parameter " << i;
  }
}

}  // namespace
