// The galaxy in a web page: the model and its picture compiled to
// WebAssembly, drawn on the page's canvas through WebGL (webgl_table.h).
// The page's script (page.js) owns the window's side: it builds the settings
// panel from the table this gives, keeps the address and local storage, and
// calls spiralis_frame() on each animation frame.
//
// Shaped as the Linux hack is: one state (TPageState), and start, resize,
// frame and the settings' changes as its entry points, exported to the
// script by name.
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "galaxy/galaxy.h"
#include "galaxy/pace.h"
#include "galaxy/view.h"
#include "galaxy/words.h"
#include "web/address.h"
#include "web/webgl_table.h"

namespace {

struct TPageState {
  TWebLook Look;
  std::optional<TGalaxy> Galaxy;
  TGalaxyGL Table;
  TGalaxyView View;
  int Width = 1, Height = 1;
  // The clock: the last frame's time (below 0 after a pause) and the
  // milliseconds shown so far (the camera's time), on which the steps fall due.
  double Last = -1, Shown = 0;
  TStepClock Steps;
  double StepsTaken = 0;  // since the page loaded, for its stats
  // A held galaxy (spiralis_hold): seeded from a fixed number, not stepped,
  // its camera at one time.
  bool Held = false;
  std::uint32_t HeldSeed = 0;
  TLcgRandom HeldRandom;
  std::string Notes;  // of the address read last, one a line
  std::string Text;   // what a function last returned to the script
};
TPageState page;

const char* Give(std::string text) {
  page.Text = std::move(text);
  return page.Text.c_str();
}

// The galaxy of the look: held, seeded by the address (seed=), or seeded
// by the calendar.
void MakeGalaxy() {
  if (page.Held)
    page.Galaxy.emplace(page.Look.Settings, page.HeldRandom, [] { return page.HeldSeed; });
  else if (page.Look.Seeded)
    page.Galaxy.emplace(page.Look.Settings, SharedRandom(), SeededClock(page.Look.Seed));
  else
    page.Galaxy.emplace(page.Look.Settings);
}

// The settings and preset of `look`, and the running galaxy with them.
void ApplyLook(const TWebLook& look) {
  page.Galaxy->Apply(look.Settings);
  page.Look.Settings = page.Galaxy->Settings();  // as the galaxy clamped them
  page.Look.Preset = look.Preset;
  page.Steps.SetInterval(page.Galaxy->TimerInterval());
}

}  // namespace

extern "C" {

// The settings table and the presets, as the page's panel shows them:
// {"settings": [{option, caption, kind, min, max | choices: [[word,
// caption]...]}...], "presets": [[word, name]...]}, in the dialog's order.
EMSCRIPTEN_KEEPALIVE const char* spiralis_table() { return Give(GalaxyTableJson()); }

// The context on the canvas `selector`, and the galaxy of the address
// `query`; 0 when the browser gives no WebGL context (the page then says
// so). What the address held that could not be used is in spiralis_notes().
EMSCRIPTEN_KEEPALIVE int spiralis_start(const char* selector, const char* query) {
  std::vector<std::string> notes;
  page.Look = ReadWebAddress(query, notes);
  page.Notes.clear();
  for (const std::string& n : notes) page.Notes += n + "\n";

  EmscriptenWebGLContextAttributes a;
  emscripten_webgl_init_context_attributes(&a);
  a.alpha = EM_FALSE;  // the galaxy clears with alpha 0: the page would show through
  a.antialias = EM_FALSE;
  a.majorVersion = 1;
  const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context(selector, &a);
  if (context <= 0 || emscripten_webgl_make_context_current(context) != EMSCRIPTEN_RESULT_SUCCESS) return 0;
  int width = 1, height = 1;
  emscripten_webgl_get_drawing_buffer_size(context, &width, &height);
  page.Width = width, page.Height = height;
  page.Table = WebGalaxyGL();
  page.View.Init(page.Table, width, height);
  MakeGalaxy();
  page.Look.Settings = page.Galaxy->Settings();  // as the galaxy clamped them
  page.Steps.Start(page.Galaxy->TimerInterval(), static_cast<std::uint32_t>(page.Shown));
  return page.View.Ready() ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE const char* spiralis_notes() { return page.Notes.c_str(); }

// The canvas's drawing buffer is now width x height.
EMSCRIPTEN_KEEPALIVE void spiralis_resize(int width, int height) {
  page.Width = width > 0 ? width : 1, page.Height = height > 0 ? height : 1;
  if (page.Table.Viewport) page.Table.Viewport(0, 0, page.Width, page.Height);
  page.View.Invalidate();
}

// One animation frame at `nowMs` (the frame's time stamp): the steps due
// since the last, and the picture of the latest.
EMSCRIPTEN_KEEPALIVE void spiralis_frame(double nowMs) {
  if (!page.Galaxy) return;
  if (!page.Held) {
    double elapsed = page.Last < 0 ? 0 : nowMs - page.Last;
    if (elapsed < 0) elapsed = 0;
    page.Last = nowMs;
    page.Shown += elapsed;
    for (int steps = page.Steps.Take(static_cast<std::uint32_t>(page.Shown)); steps > 0; --steps) {
      page.Galaxy->Step();
      ++page.StepsTaken;
    }
  }
  const TGalaxySettings& s = page.Look.Settings;
  page.View.Draw(*page.Galaxy, page.Width, page.Height, s.Eye, static_cast<float>(s.Depth),
                 static_cast<std::uint32_t>(page.Shown));
}

// The page is hidden: time stands still until the next frame.
EMSCRIPTEN_KEEPALIVE void spiralis_pause() { page.Last = -1; }

// The look as an address's query string, and one setting's word.
EMSCRIPTEN_KEEPALIVE const char* spiralis_address() { return Give(WriteWebAddress(page.Look)); }
EMSCRIPTEN_KEEPALIVE const char* spiralis_value(const char* option) {
  const TGalaxySettingInfo* info = FindGalaxySetting(option);
  return Give(info ? GalaxySettingWord(*info, GetGalaxySetting(page.Look.Settings, *info)) : "");
}
// The figure a person reads for one setting's value: 0.005, not 10.
EMSCRIPTEN_KEEPALIVE const char* spiralis_figure(const char* option) {
  const TGalaxySettingInfo* info = FindGalaxySetting(option);
  return Give(info ? GalaxySettingFigure(*info, GetGalaxySetting(page.Look.Settings, *info)) : "");
}
// The look's preset's word, or "" for none.
EMSCRIPTEN_KEEPALIVE const char* spiralis_preset() {
  return Give(page.Look.Preset ? GalaxyPresetWord(*page.Look.Preset) : "");
}

// A setting changed on the panel, as its option's word; 0 if it takes no
// such word (nothing changes).
EMSCRIPTEN_KEEPALIVE int spiralis_set(const char* option, const char* word) {
  const TGalaxySettingInfo* info = FindGalaxySetting(option);
  double value = 0;
  if (!page.Galaxy || !info || !ParseGalaxySetting(*info, word, value)) return 0;
  TWebLook look = page.Look;
  SetGalaxySetting(look.Settings, *info, value);
  ApplyLook(look);
  return 1;
}

// A preset picked on the panel: all its settings; 0 if there is none of
// that name.
EMSCRIPTEN_KEEPALIVE int spiralis_pick_preset(const char* word) {
  const TGalaxyPreset* preset = FindGalaxyPreset(word);
  if (!page.Galaxy || !preset) return 0;
  ApplyLook({preset->Settings, preset});
  return 1;
}

// For tests and comparisons: the galaxy of the current settings seeded from
// `seed` and stepped `steps` times, then held still, its camera at `ms`.
EMSCRIPTEN_KEEPALIVE void spiralis_hold(unsigned seed, int steps, double ms) {
  if (!page.Galaxy) return;
  page.Held = true;
  page.HeldSeed = seed;
  MakeGalaxy();
  for (int i = 0; i < steps; ++i) page.Galaxy->Step();
  page.Shown = ms;
  page.View.Invalidate();
}

// For comparisons: frames drawn from arrays (the default), or one vertex at
// a time as for drivers without arrays.
EMSCRIPTEN_KEEPALIVE void spiralis_use_arrays(int arrays) {
  TGalaxyGL table = page.Table;
  if (!arrays) table.DrawArrays = nullptr;
  page.View.Init(table, page.Width, page.Height);
}

// For benchmarks: one step of the galaxy, held or not.
EMSCRIPTEN_KEEPALIVE void spiralis_step() {
  if (page.Galaxy) page.Galaxy->Step();
}

// The steps the page's galaxy has taken since the page loaded.
EMSCRIPTEN_KEEPALIVE double spiralis_steps() { return page.StepsTaken; }

// The quads of the last picture.
EMSCRIPTEN_KEEPALIVE int spiralis_drawn_quads() { return page.View.DrawnQuads(); }

}  // extern "C"
