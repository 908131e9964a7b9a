// The page's address: looks written and read back, presets first, and
// hostile query strings, each setting of which gets its default and a note.
#include "web/address.h"

#include <gtest/gtest.h>

#include "galaxy/colors.h"
#include "galaxy/words.h"

namespace {

TWebLook Read(const std::string& query, std::vector<std::string>* notes = nullptr) {
  std::vector<std::string> own;
  return ReadWebAddress(query, notes ? *notes : own);
}

TEST(WebAddress, EveryPresetAndItsChangesComeBack) {
  EXPECT_EQ(WriteWebAddress(TWebLook()), "");
  for (const TGalaxyPreset& preset : kGalaxyPresets) {
    TWebLook look{preset.Settings, &preset};
    const std::string query = WriteWebAddress(look);
    std::vector<std::string> notes;
    TWebLook back = Read("?" + query, &notes);
    EXPECT_TRUE(notes.empty()) << query;
    EXPECT_EQ(back.Preset, &preset) << query;
    EXPECT_EQ(back.Settings, preset.Settings) << query;
    EXPECT_EQ(query.find('&'), std::string::npos) << query;

    look.Settings.Rings = 150;
    look.Settings.Density = 0.0035;
    look.Settings.Background = 0x563412;  // #123456, no name of the list
    back = Read(WriteWebAddress(look), &notes);
    EXPECT_TRUE(notes.empty()) << WriteWebAddress(look);
    EXPECT_EQ(back.Settings, look.Settings) << WriteWebAddress(look);
  }
}

TEST(WebAddress, PresetFirstThenSettingsInTheTablesOrder) {
  const TWebLook look = Read("rings=150&background=%230000FF&preset=Warp+Speed&speed=slow&rings=140");
  ASSERT_EQ(look.Preset, FindGalaxyPreset("Warp Speed"));
  EXPECT_EQ(look.Settings.Rings, 140);
  EXPECT_EQ(look.Settings.Background, galaxy_colors::Blue);
  EXPECT_EQ(look.Settings.Speed, 100);
  EXPECT_EQ(look.Settings.Velocity, 40);
  EXPECT_EQ(WriteWebAddress(look), "preset=warp-speed&speed=slow&rings=140&background=Blue");
  TWebLook custom;
  custom.Settings.Background = 0x563412;
  EXPECT_EQ(WriteWebAddress(custom), "background=%23123456");
  // The seed, wherever it stands, comes last, the hack's -seed.
  const TWebLook seeded = Read("seed=4294967295&preset=warp-speed&seed=0042");
  EXPECT_TRUE(seeded.Seeded);
  EXPECT_EQ(seeded.Seed, 42u);
  EXPECT_EQ(WriteWebAddress(seeded), "preset=warp-speed&seed=42");
  EXPECT_EQ(WriteWebAddress(Read("seed=0")), "seed=0");
}

TEST(WebAddress, HostileSettingsGetTheirDefaultsAndANote) {
  const struct {
    const char* Query;
    size_t Notes;
  } cases[] = {
      {"rings=151", 1},
      {"rings=1&velocity=41&probability=-1&trails=0", 4},
      {"density=101&depth=600.5&eye=1e3&eye=0x10", 4},
      {"rings=%00&speed=warp&dark-matter=&explosion=%23zzzzzz", 4},
      {"exhausted=%ff%fe&plenished=%&background=%2", 3},
      {"preset=nope&preset=%3Cscript%3E", 2},
      {"window-id=1&root&fps=&delay=10&=&%3D=%3D", 6},
      {"&&&?&", 1},
      {"seed=-1&seed=4294967296&seed=0x10&seed=+5&seed=", 5},
  };
  for (const auto& c : cases) {
    std::vector<std::string> notes;
    const TWebLook look = Read(c.Query, &notes);
    EXPECT_EQ(look.Settings, TGalaxySettings()) << c.Query;
    EXPECT_EQ(look.Preset, nullptr) << c.Query;
    EXPECT_FALSE(look.Seeded) << c.Query;
    EXPECT_EQ(notes.size(), c.Notes) << c.Query;
    EXPECT_EQ(WriteWebAddress(look), "") << c.Query;
  }
  // A setting left at its preset's value; a note quotes a value in short,
  // its unprintable bytes as '?'.
  std::vector<std::string> notes;
  const TWebLook look = Read("preset=time-machine&rings=" + std::string(5000, '9') + "%01", &notes);
  EXPECT_EQ(look.Settings, FindGalaxyPreset("Time Machine")->Settings);
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_LT(notes[0].size(), 120u);
  EXPECT_EQ(notes[0].find('\x01'), std::string::npos);
  // A '%' before letters that are no hex digits stays as it is.
  notes.clear();
  Read("rings=%zz%g0%0g%G1", &notes);
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_NE(notes[0].find("\"%zz%g0%0g%G1\""), std::string::npos) << notes[0];
}

}  // namespace
