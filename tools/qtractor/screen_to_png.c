/* Writes the whole screen of the X display in DISPLAY to a PNG file, for the record of a
 * run under a virtual display: screen_to_png out.png */

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cairo.h>
#include <stdio.h>

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s out.png\n", argv[0]);
        return 2;
    }
    Display* display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "screen_to_png: cannot open the display\n");
        return 1;
    }
    const Window root = DefaultRootWindow(display);
    XWindowAttributes attributes;
    XGetWindowAttributes(display, root, &attributes);
    XImage* image =
        XGetImage(display, root, 0, 0, (unsigned)attributes.width, (unsigned)attributes.height, AllPlanes, ZPixmap);
    if (!image) {
        fprintf(stderr, "screen_to_png: cannot read the screen\n");
        return 1;
    }
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, image->width, image->height);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < image->height; ++y) {
        unsigned int* row = (unsigned int*)(data + (size_t)y * (size_t)stride);
        for (int x = 0; x < image->width; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            /* A 24-bit TrueColor visual keeps red, green and blue where cairo does. */
            row[x] = (unsigned int)(p & 0xffffffu);
        }
    }
    cairo_surface_mark_dirty(surface);
    const cairo_status_t status = cairo_surface_write_to_png(surface, argv[1]);
    cairo_surface_destroy(surface);
    XDestroyImage(image);
    XCloseDisplay(display);
    if (status != CAIRO_STATUS_SUCCESS) {
        fprintf(stderr, "screen_to_png: %s\n", cairo_status_to_string(status));
        return 1;
    }
    return 0;
}
