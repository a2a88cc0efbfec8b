"""Key presses and pixel reads on an X display through Xlib and XTest
(ctypes, no extra Python package), for the benchmarks that watch the window
from the X server's side."""
import ctypes

x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
xtst = ctypes.cdll.LoadLibrary("libXtst.so.6")
for name, res, args in [("XOpenDisplay", ctypes.c_void_p, [ctypes.c_char_p]),
                        ("XDefaultRootWindow", ctypes.c_ulong, [ctypes.c_void_p]),
                        ("XGetImage", ctypes.c_void_p, [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                                        ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]),
                        ("XGetPixel", ctypes.c_ulong, [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]),
                        ("XDestroyImage", ctypes.c_int, [ctypes.c_void_p]),
                        ("XKeysymToKeycode", ctypes.c_ubyte, [ctypes.c_void_p, ctypes.c_ulong]),
                        ("XSetInputFocus", ctypes.c_int, [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_ulong]),
                        ("XTranslateCoordinates", ctypes.c_int, [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong,
                                                                 ctypes.c_int, ctypes.c_int] + [ctypes.c_void_p] * 3),
                        ("XSync", ctypes.c_int, [ctypes.c_void_p, ctypes.c_int]),
                        ("XFlush", ctypes.c_int, [ctypes.c_void_p])]:
    getattr(x11, name).restype, getattr(x11, name).argtypes = res, args
xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_int, ctypes.c_ulong]
KEYS = {"Down": 0xFF54, "Up": 0xFF52}


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int)]


class Screen:
    """The X connection the key presses and pixel reads go through."""

    def __init__(self, name):
        self.dpy = x11.XOpenDisplay(name.encode())
        if not self.dpy:
            raise SystemExit(f"cannot open display {name}")
        self.root = x11.XDefaultRootWindow(self.dpy)

    def grab(self, x, y, w, h):
        """The rectangle's pixels, one 32-bit value each, rows top to bottom."""
        image = x11.XGetImage(self.dpy, self.root, x, y, w, h, 0xFFFFFFFF, 2)
        info = XImage.from_address(image)
        data = ctypes.string_at(info.data, info.bytes_per_line * h)
        x11.XDestroyImage(image)
        step = info.bytes_per_line // 4
        words = memoryview(data).cast("I")
        return [words[r * step:r * step + w].tolist() for r in range(h)]

    def pixel(self, x, y):
        image = x11.XGetImage(self.dpy, self.root, x, y, 1, 1, 0xFFFFFFFF, 2)
        value = x11.XGetPixel(image, 0, 0)
        x11.XDestroyImage(image)
        return value

    def key(self, name):
        code = x11.XKeysymToKeycode(self.dpy, KEYS[name])
        xtst.XTestFakeKeyEvent(self.dpy, code, 1, 0)
        xtst.XTestFakeKeyEvent(self.dpy, code, 0, 0)
        x11.XFlush(self.dpy)

    def focus(self, window):
        xtst.XTestFakeMotionEvent(self.dpy, -1, 1279, 1023, 0)  # away from any row's tooltip
        x11.XSetInputFocus(self.dpy, window, 1, 0)
        x11.XSync(self.dpy, 0)

    def origin(self, window):
        x, y, child = ctypes.c_int(), ctypes.c_int(), ctypes.c_ulong()
        x11.XTranslateCoordinates(self.dpy, window, self.root, 0, 0, ctypes.byref(x), ctypes.byref(y),
                                  ctypes.byref(child))
        return x.value, y.value
