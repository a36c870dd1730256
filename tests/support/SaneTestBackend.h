// SANE's "test" backend as the only scanner: one configuration folder for
// the whole run (SANE reads SANE_CONFIG_DIR once per process), rewritten by
// each test, and the backend kept loaded so the leak checker can tell its
// own leaks (suppressed) from ours after SANE lets it go.
#pragma once

#include <dlfcn.h>
#include <stdlib.h>

#include <string>

#include "platform/SaneSource.h"
#include "tests/TempDir.h"

namespace lumora::test {

// Two devices, "test:0" and "test:1"; `settings` are test.conf lines
// ("depth 8", "test-picture \"Grid\"", ...). False when the backend is missing.
inline bool ConfigureSaneTestBackend(const std::string& settings) {
  static const TempDir config;
  static void* const backend = [] {
    char folder[4096] = "";
    if (void* sane = dlopen(kSaneLibrary, RTLD_NOW)) {
      dlinfo(sane, RTLD_DI_ORIGIN, folder);
      dlclose(sane);
    }
    return dlopen((std::string(folder) + "/sane/libsane-test.so.1").c_str(), RTLD_NOW | RTLD_NODELETE);
  }();
  WriteText(config / "dll.conf", "test\n");
  WriteText(config / "test.conf", "number_of_devices 2\n" + settings);
  setenv("SANE_CONFIG_DIR", config.path().c_str(), 1);
  return backend != nullptr;
}

}  // namespace lumora::test
