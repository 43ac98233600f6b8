// xprobe — what the desktop tests ask of the X server: is the pointer's image
// invisible, what is on the screen in a rectangle, and a window made the way
// a screen-saver host makes one, to draw into and destroy.
//
//   xprobe cursor                 prints "hidden" or "visible" (XFixes cursor image)
//   xprobe stats X Y W H          prints "<lit> <distinct>": the share of pixels that are not
//                                 black (per mille) and the number of distinct colours
//   xprobe host W H               makes and maps a window, prints its id, then waits: a line
//                                 "size W H" on stdin resizes it, "destroy" or end of input
//                                 destroys it and exits
//   xprobe geometry ID            prints "X Y W H" of a window in root coordinates
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <set>
#include <sstream>
#include <string>

namespace {

int PointerImage(Display* display) {
  XFixesCursorImage* image = XFixesGetCursorImage(display);
  if (image == nullptr) {
    std::puts("unknown");
    return 2;
  }
  bool visible = false;
  for (int i = 0; i < image->width * image->height; ++i)
    if ((image->pixels[i] >> 24) & 0xFF) visible = true;
  std::puts(visible ? "visible" : "hidden");
  XFree(image);
  return 0;
}

int Stats(Display* display, int x, int y, int w, int h) {
  XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, static_cast<unsigned>(w),
                            static_cast<unsigned>(h), AllPlanes, ZPixmap);
  if (image == nullptr) return 2;
  long lit = 0;
  std::set<unsigned long> colours;
  for (int row = 0; row < h; ++row) {
    for (int column = 0; column < w; ++column) {
      const unsigned long pixel = XGetPixel(image, column, row) & 0xFFFFFF;
      if (pixel != 0) ++lit;
      if (colours.size() < 100000) colours.insert(pixel);
    }
  }
  std::printf("%ld %zu\n", lit * 1000 / (static_cast<long>(w) * h), colours.size());
  XDestroyImage(image);
  return 0;
}

int Host(Display* display, int w, int h) {
  const int screen = DefaultScreen(display);
  Window window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, static_cast<unsigned>(w),
                                      static_cast<unsigned>(h), 0, 0, BlackPixel(display, screen));
  XStoreName(display, window, "xprobe host");
  XMapRaised(display, window);
  XSync(display, False);
  std::printf("0x%lx\n", window);
  std::fflush(stdout);
  for (std::string line; std::getline(std::cin, line);) {
    std::istringstream words(line);
    std::string verb;
    words >> verb;
    if (verb == "size") {
      unsigned nw = 0, nh = 0;
      words >> nw >> nh;
      XResizeWindow(display, window, nw, nh);
      XSync(display, False);
    } else if (verb == "destroy") {
      break;
    }
  }
  XDestroyWindow(display, window);
  XSync(display, False);
  return 0;
}

int Geometry(Display* display, Window window) {
  XWindowAttributes attributes;
  if (XGetWindowAttributes(display, window, &attributes) == 0) return 2;
  int x = 0, y = 0;
  Window child;
  XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
  std::printf("%d %d %d %d\n", x, y, attributes.width, attributes.height);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "xprobe: cannot open the display\n");
    return 3;
  }
  const std::string verb = argc > 1 ? argv[1] : "";
  int status = 1;
  if (verb == "cursor") {
    status = PointerImage(display);
  } else if (verb == "stats" && argc == 6) {
    status = Stats(display, std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]));
  } else if (verb == "host" && argc == 4) {
    status = Host(display, std::atoi(argv[2]), std::atoi(argv[3]));
  } else if (verb == "geometry" && argc == 3) {
    status = Geometry(display, std::strtoul(argv[2], nullptr, 0));
  } else {
    std::fprintf(stderr, "usage: xprobe cursor | stats X Y W H | host W H | geometry ID\n");
  }
  XCloseDisplay(display);
  return status;
}
