// The Linux desktop: the module bin/desktop/lodestack-gtk.so of the tree (or
// the one beside the program file, where the build puts it), loaded only
// when a display is named. The program file links no toolkit, so without the
// module or its libraries (GTK 3, WebKitGTK 4.1) it still starts and serves.
#include <dlfcn.h>

#include <cstdlib>
#include <string>

#include "forms/desktop.h"
#include "forms/desktop_module.h"
#include "forms/main_view.h"
#include "util/hi.h"
#include "util/product.h"

namespace {

constexpr char kModuleFolder[] = "bin/desktop/";
constexpr char kModuleName[] = "lodestack-gtk.so";
// The splash process's module: GTK without the browser engine.
constexpr char kSplashModuleName[] = "lodestack-splash.so";

// The display of the user's session; empty without one.
std::string DisplayName() {
  for (const char* variable : {"WAYLAND_DISPLAY", "DISPLAY"}) {
    const char* value = std::getenv(variable);
    if (value && *value) return value;
  }
  return {};
}

struct TLoadedDesktop {
  const TDesktopModule* module = nullptr;
  std::string failure;  // why it is missing, when a display was named
};

// The module of that name in the tree, or beside the program file; empty when neither.
std::string ModuleFile(const char* name) {
  for (const std::string& candidate : {THi::GetAppPath() + kModuleFolder + name, THi::GetAppPath() + name}) {
    if (THi::FileExists(candidate)) return candidate;
  }
  return {};
}

TLoadedDesktop Load(const std::string& file) {
  TLoadedDesktop loaded;
  if (DisplayName().empty()) return loaded;
  if (file.empty()) {
    loaded.failure = std::string("its desktop module ") + kModuleFolder + kModuleName + " is missing";
    return loaded;
  }
  // Every symbol is bound now: a module that does not fit fails here, not
  // in the middle of the run.
  void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    loaded.failure =
        std::string("the desktop, which needs GTK 3 and WebKitGTK 4.1, could not be loaded: ") + dlerror();
    return loaded;
  }
  const auto entry = reinterpret_cast<TDesktopEntry>(dlsym(handle, kDesktopEntry));
  loaded.module = entry ? entry(product::kFileVersion) : nullptr;
  if (!loaded.module) {
    loaded.failure = file + " belongs to another version of the program";
    dlclose(handle);
  }
  return loaded;
}

// Loaded once, when a role first asks for a window.
const TLoadedDesktop& Loaded() {
  static const TLoadedDesktop loaded = Load(ModuleFile(kModuleName));
  return loaded;
}

// The splash process takes its own module, or the whole desktop from a tree
// that has none.
const TDesktopModule* SplashModule() {
  const std::string own = ModuleFile(kSplashModuleName);
  if (!own.empty()) {
    static const TLoadedDesktop splash = Load(own);
    if (splash.module) return splash.module;
  }
  return Loaded().module;
}

}  // namespace

TDesktop CreateDesktop() {
  TDesktop desktop;
  desktop.CreateMainView = []() -> std::unique_ptr<MainView> {
    const TDesktopModule* module = Loaded().module;
    return module ? module->CreateMainView() : nullptr;
  };
  desktop.RunSplash = [](const std::string& configIni) {
    if (const TDesktopModule* module = SplashModule()) module->RunSplash(configIni);
  };
  desktop.WhyNoWindow = [] {
    const std::string display = DisplayName();
    if (display.empty()) return std::string();
    if (!Loaded().failure.empty()) return Loaded().failure;
    return "the display " + display + " could not be opened";
  };
  return desktop;
}
