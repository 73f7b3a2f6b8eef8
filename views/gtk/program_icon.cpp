#include "views/gtk/program_icon.h"

#include "util/hi.h"

GdkPixbuf* LoadProgramIcon() {
  const std::string ico = THi::LoadIconFile("MAINICON");
  if (ico.empty()) return nullptr;
  GdkPixbufLoader* loader = gdk_pixbuf_loader_new_with_type("ico", nullptr);
  if (!loader) return nullptr;
  GdkPixbuf* picture = nullptr;
  if (gdk_pixbuf_loader_write(loader, reinterpret_cast<const guchar*>(ico.data()), ico.size(),
                              nullptr) &&
      gdk_pixbuf_loader_close(loader, nullptr))
    picture = gdk_pixbuf_loader_get_pixbuf(loader);
  else
    gdk_pixbuf_loader_close(loader, nullptr);
  if (picture) g_object_ref(picture);
  g_object_unref(loader);
  return picture;
}
