// The names a user types: presets, colours by name and #rrggbb, the words
// of the choices, taken alone and as the options' values.
#include <cctype>
#include <string>

#include "galaxy/colors.h"
#include "galaxy/presets.h"
#include "galaxy/words.h"
#include "linux/hack_options.h"
#include "tools/fuzz/fail.h"

namespace {

void Fail(const char* what) { FuzzFail("names", what); }

int Hex(char c) { return std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::tolower(c) - 'a' + 10; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (const TGalaxyPreset* p = FindGalaxyPreset(text)) {
    // Found only by its name, but for case and the spelling of its gaps.
    std::string word = text;
    for (char& c : word) c = c == ' ' || c == '_' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (word != GalaxyPresetWord(*p)) Fail("a preset found by another name");
    if (ClampGalaxySettings(p->Settings) != p->Settings) Fail("a preset out of the ranges");
  }
  if (const TGalaxySettingInfo* s = FindGalaxySetting(text))
    if (text != s->Option) Fail("a setting found by another name");

  TGalaxyColor color = 0xDEADBEEF;
  if (ParseGalaxyColor(text, color)) {
    if (color > 0xFFFFFF) Fail("a colour beyond 24 bits");
    bool named = false;
    for (const TNamedColor& n : kGalaxyColors) named = named || n.Color == color;
    const bool hex = text.size() == 7 && text[0] == '#';
    if (!named && !hex) Fail("a colour from a text that is no colour");
    if (hex && !named) {
      // #rrggbb: red first in the text, in the low byte of the colour.
      const TGalaxyColor rgb = static_cast<TGalaxyColor>(Hex(text[1]) * 16 + Hex(text[2])) |
                               static_cast<TGalaxyColor>(Hex(text[3]) * 16 + Hex(text[4])) << 8 |
                               static_cast<TGalaxyColor>(Hex(text[5]) * 16 + Hex(text[6])) << 16;
      if (rgb != color) Fail("#rrggbb read as another colour");
    }
  } else if (color != 0xDEADBEEF) {
    Fail("a colour changed by a text that is none");
  }

  // The same text as the value of every option that takes a name.
  for (const char* option : {"-preset", "-explosion", "-background", "-speed", "-dark-matter", "-display"}) {
    const char* argv[] = {"spiralis", option, text.c_str(), nullptr};
    THackSettings settings;
    std::string message;
    const THackParse result = ParseHackOptions(3, argv, settings, message);
    if (result == THackParse::Run && ClampGalaxySettings(settings.Galaxy) != settings.Galaxy)
      Fail("a name gave a setting out of its range");
    if (result == THackParse::Error && message.empty()) Fail("an error without its message");
  }
  return 0;
}
