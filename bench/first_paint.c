/* How long a program takes to cover the screen: starts COMMAND, then reads one pixel of
 * the X display's root window (DISPLAY) every 2 ms until it shows COLOUR (RRGGBB in hex),
 * and prints the seconds from the start to then ("timeout" after TIMEOUT seconds). The
 * program is left running. Built natively with -lX11 by bench/saver_startup.sh.
 *
 * Usage: first_paint X Y RRGGBB TIMEOUT COMMAND [ARGS...] */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

static double Now(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

/* The pixel as 0xRRGGBB, whatever the visual's masks. */
static unsigned long PixelAt(Display* display, Window root, int x, int y) {
  XImage* image = XGetImage(display, root, x, y, 1, 1, AllPlanes, ZPixmap);
  if (!image) return ~0ul;
  const unsigned long v = XGetPixel(image, 0, 0);
  const unsigned long r = (v & image->red_mask) >> __builtin_ctzl(image->red_mask);
  const unsigned long g = (v & image->green_mask) >> __builtin_ctzl(image->green_mask);
  const unsigned long b = (v & image->blue_mask) >> __builtin_ctzl(image->blue_mask);
  XDestroyImage(image);
  return r << 16 | g << 8 | b;
}

int main(int argc, char** argv) {
  if (argc < 6) {
    fprintf(stderr, "usage: first_paint X Y RRGGBB TIMEOUT COMMAND [ARGS...]\n");
    return 2;
  }
  const int x = atoi(argv[1]), y = atoi(argv[2]);
  const unsigned long colour = strtoul(argv[3], NULL, 16);
  const double timeout = atof(argv[4]);
  Display* display = XOpenDisplay(NULL);
  if (!display) {
    fprintf(stderr, "first_paint: no display\n");
    return 2;
  }
  const Window root = DefaultRootWindow(display);
  if (PixelAt(display, root, x, y) == colour) {
    fprintf(stderr, "first_paint: the pixel shows the colour before the start\n");
    return 2;
  }
  const double start = Now();
  const pid_t child = fork();
  if (child == 0) {
    const int null = open("/dev/null", O_RDWR);
    dup2(null, 1);
    dup2(null, 2);
    execvp(argv[5], argv + 5);
    _exit(127);
  }
  if (child < 0) return 2;
  while (Now() - start < timeout) {
    if (PixelAt(display, root, x, y) == colour) {
      printf("%.3f\n", Now() - start);
      return 0;
    }
    usleep(2000);
  }
  printf("timeout\n");
  return 1;
}
