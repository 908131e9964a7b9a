// Frame cost of the saver form itself: the main module, a saver form filling
// the screen with its OpenGL panel (and, under Wine, the panel's read-back
// presentation), each tick one model step and one synchronous repaint —
// what the full-screen saver does on every timer tick while its frames come
// slower than the monitor's refresh.
//
//   wine saver_bench.exe RINGS FRAMES
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "saver/mainform.h"
#include "saver/saverform.h"
#include "values/values.h"

namespace {

double NowMs() {
  LARGE_INTEGER f, t;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t);
  return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

double CpuMs() {
  FILETIME c, e, k, u;
  GetProcessTimes(GetCurrentProcess(), &c, &e, &k, &u);
  auto ms = [](FILETIME f) { return ((static_cast<ULONGLONG>(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 1e4; };
  return ms(k) + ms(u);
}

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: saver_bench RINGS FRAMES\n");
    return 2;
  }
  const int rings = std::atoi(argv[1]), frames = std::atoi(argv[2]);
  RegisterSaverClasses();
  MainForm = CreateComponent<TMainForm>(nullptr);
  // The main module's control would start a run mode from the loop: not here.
  MSG msg;
  while (PeekMessageA(&msg, nullptr, WM_APP, 0xFFFF, PM_REMOVE)) {
  }
  ScrLoadValuesFromRegistry(MainForm);
  MainForm->nRings->SetValue(rings);

  TSaverForm* form = CreateComponent<TSaverForm>(nullptr);
  form->Timer->SetEnabled(false);
  form->SetBounds(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  form->Show();
  Pump();
  // Every tick draws its step here, as when the frames are slower than the
  // monitor: the figure is a frame's cost.
  form->PicturePace().SetRate(0);
  for (int i = 0; i < 300; ++i) form->TimerTimer(nullptr);  // a busy galaxy
  Pump();

  long lit = 0;
  double cpu0 = CpuMs(), t0 = NowMs();
  for (int i = 0; i < frames; ++i) {
    form->TimerTimer(nullptr);
    Pump();
    const TGalaxy& g = *form->Galaxy();
    for (int c = 0; c < g.CellCount(); ++c) lit += g.Cells()[c] != 0;
  }
  double wall = NowMs() - t0, cpu = CpuMs() - cpu0;
  std::printf("variant=saver n=%d cells=%d frames=%d lit=%ld ms_per_frame=%.3f fps=%.1f cpu_ms_per_frame=%.3f\n",
              rings, form->Galaxy()->CellCount(), frames, lit / frames, wall / frames, 1000.0 * frames / wall,
              cpu / frames);
  form->Free();
  MainForm->Free();
  return 0;
}
