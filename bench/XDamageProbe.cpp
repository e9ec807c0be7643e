// lumenpad-xprobe: times a program's window from outside, through the X server, so that the
// editor, the bare Qt floor and other editors (KWrite) are measured alike.
//
//   lumenpad-xprobe [--keys N] [--watch MS] [--timeout MS] -- COMMAND [ARG...]
//
// Starts COMMAND and watches the screen's top-level windows. The first window mapped that
// carries the command's process id (_NET_WM_PID) is the program's; damage events on it tell
// when its pixels change. The window is watched for --watch MS from the start (3000 by
// default; --timeout MS, 60000 by default, is how long its window may take to appear), its
// pixels read after each change (all but the 24 pixel columns on the right, where scroll bars
// are). Prints, in milliseconds from the start of COMMAND:
//   mapped-ms     the window is mapped
//   painted-ms    its first pixels are drawn
//   final-ms      the first moment it showed what it shows at the end of the watch (the
//                 images seen in its last 1.5 s, a blinking caret's two among them): for a
//                 file, its first screen as it stays
// and peak-rss-kb, the program's peak memory so far. With --keys N it then types N keys
// through the XTEST extension, "x" and BackSpace in turn so the line stays as it was, and
// prints key-to-damage-p50-us and -p99-us (from the key sent to the first change of the
// window's pixels) and key-damage-area-px (median area changed per key). The program is then
// killed. Exits 2 when the X server lacks an extension or the window never appears.
#include "Percentile.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/select.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Options {
    int keys = 0;
    int watchMs = 3000;
    int timeoutMs = 60000;
    std::vector<char*> command;
};

bool ParseOptions(int argc, char** argv, Options& o)
{
    int i = 1;
    for (; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (i + 1 >= argc)
            return false;
        if (std::strcmp(argv[i], "--keys") == 0)
            o.keys = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--watch") == 0)
            o.watchMs = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--timeout") == 0)
            o.timeoutMs = std::atoi(argv[++i]);
        else
            return false;
    }
    for (++i; i < argc; ++i)
        o.command.push_back(argv[i]);
    o.command.push_back(nullptr);
    return o.command.size() > 1;
}

long WindowPid(Display* display, Window window)
{
    static const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    Atom type = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &items, &after,
                           &data) == Success &&
        data && items == 1 && format == 32)
        pid = static_cast<long>(*reinterpret_cast<unsigned long*>(data));
    if (data)
        XFree(data);
    return pid;
}

long PeakRssKb(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    while (status >> key) {
        if (key == "VmHWM:") {
            long kb = 0;
            status >> kb;
            return kb;
        }
        status.ignore(1 << 16, '\n');
    }
    return -1;
}

// Waits for the next event up to the deadline; false when none came.
bool NextEvent(Display* display, XEvent& event, double waitMs)
{
    if (XPending(display) == 0) {
        const int fd = ConnectionNumber(display);
        fd_set fds;
        FD_ZERO(&fds);
        FD_SET(fd, &fds);
        const long us = static_cast<long>(std::max(waitMs, 0.0) * 1000);
        timeval tv{us / 1000000, us % 1000000};
        if (select(fd + 1, &fds, nullptr, nullptr, &tv) <= 0 || XPending(display) == 0)
            return false;
    }
    XNextEvent(display, &event);
    return true;
}

// The caret's blink changes a strip a pixel or two wide: it is not a key's change.
bool IsCaretOnly(const XRectangle& r)
{
    return r.width < 4 || r.height < 4;
}


// A fingerprint of what the window shows, leaving out the right edge (a loading file moves its
// scroll bar until the end); 0 when the window cannot be read.
std::uint64_t ImageHash(Display* display, Window window)
{
    XWindowAttributes a;
    if (!XGetWindowAttributes(display, window, &a) || a.width <= 24 || a.height <= 0)
        return 0;
    XImage* image = XGetImage(display, window, 0, 0, unsigned(a.width - 24), unsigned(a.height), AllPlanes, ZPixmap);
    if (!image)
        return 0;
    std::uint64_t hash = 1469598103934665603ull;
    for (int y = 0; y < image->height; ++y) {
        const auto* row = reinterpret_cast<const unsigned char*>(image->data + std::ptrdiff_t(y) * image->bytes_per_line);
        for (int x = 0; x < image->width * image->bits_per_pixel / 8; ++x)
            hash = (hash ^ row[x]) * 1099511628211ull;
    }
    XDestroyImage(image);
    return hash;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: lumenpad-xprobe [--keys N] [--watch MS] [--timeout MS] -- COMMAND [ARG...]\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "lumenpad-xprobe: cannot open the display\n");
        return 2;
    }
    int damageEvent = 0;
    int damageError = 0;
    int xtest[4] = {};
    if (!XDamageQueryExtension(display, &damageEvent, &damageError) ||
        !XTestQueryExtension(display, &xtest[0], &xtest[1], &xtest[2], &xtest[3])) {
        std::fprintf(stderr, "lumenpad-xprobe: the X server has no DAMAGE or XTEST extension\n");
        return 2;
    }
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);

    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        close(ConnectionNumber(display));
        execvp(options.command[0], options.command.data());
        std::perror("lumenpad-xprobe: exec");
        _exit(127);
    }

    Window window = None;
    Damage damage = None;
    double mapped = -1;
    double painted = -1;
    const auto changed = [](const XEvent& event) { return reinterpret_cast<const XDamageNotifyEvent&>(event).area; };
    struct Seen {
        double at;
        std::uint64_t hash;
    };
    std::vector<Seen> images; // each change of the picture, with the time of its damage
    double unreadChange = -1;
    for (;;) {
        const double now = MsSince(start);
        if (window == None ? now > options.timeoutMs : now > options.watchMs)
            break;
        XEvent event;
        if (!NextEvent(display, event, unreadChange >= 0 ? 2.0 : 100.0)) {
            // The changes have stopped for a moment: read the picture they made.
            if (unreadChange >= 0) {
                const std::uint64_t hash = ImageHash(display, window);
                if (images.empty() || images.back().hash != hash)
                    images.push_back({unreadChange, hash});
            }
            unreadChange = -1;
            continue;
        }
        if (event.type == MapNotify && window == None && !event.xmap.override_redirect &&
            WindowPid(display, event.xmap.window) == child) {
            window = event.xmap.window;
            mapped = MsSince(start);
            damage = XDamageCreate(display, window, XDamageReportRawRectangles);
        } else if (event.type == damageEvent + XDamageNotify && window != None) {
            const double at = MsSince(start);
            if (painted < 0)
                painted = at;
            if (unreadChange < 0)
                unreadChange = at;
        }
    }
    if (window == None) {
        std::fprintf(stderr, "lumenpad-xprobe: no window of the program appeared\n");
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        return 2;
    }
    std::printf("mapped-ms: %.1f\npainted-ms: %.1f\npeak-rss-kb: %ld\n", mapped, painted, PeakRssKb(child));
    if (!images.empty()) {
        // What the window shows at the end: the picture it showed 1.5 s before, and every one since.
        const double tail = options.watchMs - 1500.0;
        std::vector<std::uint64_t> final;
        for (std::size_t i = 0; i < images.size(); ++i) {
            if (images[i].at >= tail || i + 1 == images.size() || images[i + 1].at >= tail)
                final.push_back(images[i].hash);
        }
        for (const Seen& seen : images) {
            if (std::find(final.begin(), final.end(), seen.hash) != final.end()) {
                std::printf("final-ms: %.1f\n", seen.at);
                break;
            }
        }
    }
    std::fflush(stdout);

    if (options.keys > 0) {
        // Without a window manager nothing else gives the window the keyboard.
        XSetInputFocus(display, window, RevertToParent, CurrentTime);
        XSync(display, False);
        const KeyCode keys[2] = {XKeysymToKeycode(display, XK_x), XKeysymToKeycode(display, XK_BackSpace)};
        std::vector<double> times;
        std::vector<double> areas;
        for (int i = 0; i < options.keys; ++i) {
            // Let the window go still first, so the change that follows is this key's.
            XEvent event;
            while (NextEvent(display, event, 30)) {
            }
            const Clock::time_point sent = Clock::now();
            XTestFakeKeyEvent(display, keys[i % 2], True, CurrentTime);
            XTestFakeKeyEvent(display, keys[i % 2], False, CurrentTime);
            XFlush(display);
            double first = -1;
            double area = 0;
            // The key's change: the first damage, and all that follows within 5 ms.
            while (NextEvent(display, event, first < 0 ? 1000 : 5)) {
                if (event.type != damageEvent + XDamageNotify)
                    continue;
                const XRectangle r = changed(event);
                if (first < 0 && IsCaretOnly(r))
                    continue;
                if (first < 0)
                    first = std::chrono::duration<double, std::micro>(Clock::now() - sent).count();
                area += double(r.width) * r.height;
            }
            if (first >= 0) {
                times.push_back(first);
                areas.push_back(area);
            }
        }
        std::printf("key-to-damage-p50-us: %.1f\nkey-to-damage-p99-us: %.1f\nkey-damage-area-px: %.0f\n",
                    Percentile(times, 50), Percentile(times, 99), Percentile(areas, 50));
        std::printf("keys-seen: %zu of %d\n", times.size(), options.keys);
    }
    if (damage != None)
        XDamageDestroy(display, damage);
    XCloseDisplay(display);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    return 0;
}
