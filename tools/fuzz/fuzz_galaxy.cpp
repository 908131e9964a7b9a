// Any bytes become the galaxy's settings (figures out of range, NaN and
// infinite densities, colours beyond 24 bits), a window and a clock; the
// galaxy is built, takes 500 steps and draws a frame into a table with no
// context behind it (RunGalaxyTrial checks each).
#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>

#include "tools/fuzz/fail.h"
#include "tools/fuzz/galaxy_check.h"

namespace {

// A field's own bytes, whatever they mean.
template <class T>
void RawInto(FuzzedDataProvider& in, T& field) {
  const std::vector<std::uint8_t> bytes = in.ConsumeBytes<std::uint8_t>(sizeof(T));
  if (bytes.size() == sizeof(T)) std::memcpy(&field, bytes.data(), sizeof(T));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  TGalaxyTrial trial;
  for (const TGalaxySettingInfo& info : kGalaxySettings) {
    switch (in.ConsumeIntegralInRange<int>(0, 2)) {
      case 0: break;  // the default
      case 1:         // the field's bytes
        if (info.Integer) RawInto(in, trial.Settings.*info.Integer);
        if (info.Real) RawInto(in, trial.Settings.*info.Real);
        if (info.Color) RawInto(in, trial.Settings.*info.Color);
        break;
      default: {  // a figure of any size, as the front ends store one
        double figure = 0;
        RawInto(in, figure);
        SetGalaxySetting(trial.Settings, info, figure);
      }
    }
  }
  trial.Width = in.ConsumeIntegralInRange<int>(0, 5000);
  trial.Height = in.ConsumeIntegralInRange<int>(0, 5000);
  trial.Clock = in.ConsumeIntegral<std::uint32_t>();
  trial.Arrays = in.ConsumeBool();
  trial.Scissor = in.ConsumeBool();
  for (int n = in.ConsumeIntegralInRange<int>(0, 3); n > 0; --n)
    trial.Views.push_back({in.ConsumeIntegralInRange<int>(-5000, 5000), in.ConsumeIntegralInRange<int>(-5000, 5000),
                           in.ConsumeIntegralInRange<int>(0, 5000), in.ConsumeIntegralInRange<int>(0, 5000)});
  const std::string fault = RunGalaxyTrial(trial);
  if (!fault.empty()) FuzzFail("galaxy", fault.c_str());
  return 0;
}
