// Writes the hack's settings file: write_settings_file OUT.xml
#include <cstdio>
#include <fstream>

#include "linux/hack_options.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: write_settings_file OUT.xml\n");
    return 2;
  }
  std::ofstream out(argv[1], std::ios::binary);
  out << HackSettingsFile();
  return out.good() ? 0 : 1;
}
