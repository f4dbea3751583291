/* The device simulator's preloaded shim: the frame buffer device, the panel's
 * refresh ioctls, the kernel release and the evdev key and touch devices of one
 * reader profile, all taken from the environment (see scripts/devsim/run.sh):
 *
 *   INKMATE_FB               the frame buffer path served (default /dev/fb0)
 *   INKMATE_SIM_DIR          fb.raw (memory), panel.raw (what the panel shows),
 *                            fb.state, and eventN FIFOs served as /dev/input/eventN
 *   INKMATE_SIM_LOG          one line per call
 *   INKMATE_SIM_FB           id,xres,yres,xres_virtual,bpp,rotate,grayscale
 *   INKMATE_SIM_SEND         accepted MXCFB_SEND_UPDATE sizes, e.g. "68" or "72,64";
 *                            "none": no refresh controller, the panel shows memory
 *   INKMATE_SIM_WAIT         accepted MXCFB_WAIT_FOR_UPDATE_COMPLETE sizes
 *   INKMATE_SIM_RELEASE      uname()'s release
 *   INKMATE_SIM_TOUCH        touch device number, raw x maximum, raw y maximum
 *
 * Requests the profile's kernel does not know fail with ENOTTY, as there. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <linux/fb.h>
#include <linux/input.h>
#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

enum Kind { NONE, FB, KEYS, TOUCH };
#define MAX_FD 1024
static unsigned char kinds[MAX_FD];

static int (*real_open)(const char*, int, ...);
static int (*real_openat)(int, const char*, int, ...);
static int (*real_ioctl)(int, unsigned long, ...);
static int (*real_close)(int);
static int (*real_uname)(struct utsname*);

static struct fb_var_screeninfo var;
static struct fb_fix_screeninfo fix;
static int fb_ready;
static int epdc = 1;

static void init(void)
{
    if (real_open)
        return;
    real_open = dlsym(RTLD_NEXT, "open");
    real_openat = dlsym(RTLD_NEXT, "openat");
    real_ioctl = dlsym(RTLD_NEXT, "ioctl");
    real_close = dlsym(RTLD_NEXT, "close");
    real_uname = dlsym(RTLD_NEXT, "uname");
}

static const char* env(const char* name, const char* fallback)
{
    const char* v = getenv(name);
    return v && *v ? v : fallback;
}

static void logf_(const char* fmt, ...)
{
    const char* path = getenv("INKMATE_SIM_LOG");
    if (!path)
        return;
    char line[512];
    va_list ap;
    va_start(ap, fmt);
    int n = vsnprintf(line, sizeof line - 1, fmt, ap);
    va_end(ap);
    if (n < 0)
        return;
    if (n > (int)sizeof line - 2)
        n = sizeof line - 2;
    line[n++] = '\n';
    int fd = real_open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    ssize_t w = write(fd, line, (size_t)n);
    (void)w;
    real_close(fd);
}

static void sim_path(char* out, size_t size, const char* name)
{
    snprintf(out, size, "%s/%s", env("INKMATE_SIM_DIR", "."), name);
}

static int in_list(const char* list, unsigned value)
{
    char buf[128];
    snprintf(buf, sizeof buf, "%s", list);
    for (char* t = strtok(buf, ","); t; t = strtok(NULL, ","))
        if ((unsigned)atoi(t) == value)
            return 1;
    return 0;
}

static void set_colours(void)
{
    memset(&var.red, 0, sizeof var.red * 4);
    if (var.bits_per_pixel == 32) {
        var.red.offset = 16, var.green.offset = 8, var.blue.offset = 0, var.transp.offset = 24;
        var.red.length = var.green.length = var.blue.length = var.transp.length = 8;
    } else if (var.bits_per_pixel == 16) {
        var.red.offset = 11, var.red.length = 5;
        var.green.offset = 5, var.green.length = 6;
        var.blue.offset = 0, var.blue.length = 5;
    } else {
        var.red.length = var.green.length = var.blue.length = 8;
    }
}

/* Sizes the memory file and clears the panel after a change of geometry. */
static void apply_geometry(void)
{
    fix.line_length = var.xres_virtual * var.bits_per_pixel / 8;
    fix.smem_len = fix.line_length * var.yres_virtual;
    set_colours();
    char path[4096];
    sim_path(path, sizeof path, "fb.raw");
    int fd = real_open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd >= 0) {
        if (ftruncate(fd, fix.smem_len) != 0)
            logf_("fb: cannot size %s", path);
        real_close(fd);
    }
    sim_path(path, sizeof path, "panel.raw");
    fd = real_open(path, O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd >= 0) {
        if (ftruncate(fd, fix.smem_len) != 0)
            logf_("fb: cannot size %s", path);
        real_close(fd);
    }
    char state[256];
    int n = snprintf(state, sizeof state, "%u %u %u %u %u %u %d\n", var.xres, var.yres,
                     var.xres_virtual, var.bits_per_pixel, var.rotate, fix.line_length, epdc);
    sim_path(path, sizeof path, "fb.state");
    fd = real_open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd >= 0) {
        ssize_t w = write(fd, state, (size_t)n);
        (void)w;
        real_close(fd);
    }
    logf_("fb: %ux%u virtual %ux%u, %u bpp, rotate %u, line %u", var.xres, var.yres,
          var.xres_virtual, var.yres_virtual, var.bits_per_pixel, var.rotate, fix.line_length);
}

static unsigned align32(unsigned v)
{
    return (v + 31) & ~31u;
}

static void fb_setup(void)
{
    if (fb_ready)
        return;
    fb_ready = 1;
    char id[16] = "mxc_epdc_fb";
    unsigned xres = 600, yres = 800, xv = 608, bpp = 32, rotate = 0, grey = 0;
    sscanf(env("INKMATE_SIM_FB", ""), "%15[^,],%u,%u,%u,%u,%u,%u", id, &xres, &yres, &xv, &bpp,
           &rotate, &grey);
    epdc = strcmp(env("INKMATE_SIM_SEND", "none"), "none") != 0;
    memset(&fix, 0, sizeof fix);
    memset(&var, 0, sizeof var);
    snprintf(fix.id, sizeof fix.id, "%s", id);
    fix.type = FB_TYPE_PACKED_PIXELS;
    fix.visual = bpp == 8 ? FB_VISUAL_STATIC_PSEUDOCOLOR : FB_VISUAL_TRUECOLOR;
    var.xres = xres, var.yres = yres;
    var.xres_virtual = xv, var.yres_virtual = yres;
    var.bits_per_pixel = bpp, var.rotate = rotate, var.grayscale = grey;
    var.height = var.width = (uint32_t)-1;
    apply_geometry();
}

/* FBIOPUT_VSCREENINFO as the EPDC driver takes it: depth and rotation change,
 * the resolution turns with the rotation's parity. */
static int fb_put(const struct fb_var_screeninfo* in)
{
    if (in->bits_per_pixel != 8 && in->bits_per_pixel != 16 && in->bits_per_pixel != 32) {
        logf_("ioctl FBIOPUT_VSCREENINFO %u bpp refused: EINVAL", in->bits_per_pixel);
        errno = EINVAL;
        return -1;
    }
    unsigned rotate = in->rotate & 3;
    if ((rotate & 1) != (var.rotate & 1)) {
        unsigned x = var.xres;
        var.xres = var.yres;
        var.yres = x;
        var.xres_virtual = align32(var.xres);
        var.yres_virtual = var.yres;
    }
    var.rotate = rotate;
    var.bits_per_pixel = in->bits_per_pixel;
    var.grayscale = in->grayscale;
    logf_("ioctl FBIOPUT_VSCREENINFO bpp %u rotate %u grayscale %u: ok", in->bits_per_pixel,
          in->rotate, in->grayscale);
    apply_geometry();
    return 0;
}

/* Copies an updated rectangle from memory to the panel. */
static void show(uint32_t top, uint32_t left, uint32_t width, uint32_t height)
{
    char mem_path[4096], panel_path[4096];
    sim_path(mem_path, sizeof mem_path, "fb.raw");
    sim_path(panel_path, sizeof panel_path, "panel.raw");
    int m = real_open(mem_path, O_RDONLY | O_CLOEXEC);
    int p = real_open(panel_path, O_RDWR | O_CLOEXEC);
    if (m >= 0 && p >= 0) {
        size_t bytes = var.bits_per_pixel / 8, row = width * bytes;
        char* buf = malloc(row ? row : 1);
        for (uint32_t y = top; buf && y < top + height; ++y) {
            off_t at = (off_t)y * fix.line_length + (off_t)(left * bytes);
            if (pread(m, buf, row, at) == (ssize_t)row && pwrite(p, buf, row, at) != (ssize_t)row)
                break;
        }
        free(buf);
    }
    if (m >= 0)
        real_close(m);
    if (p >= 0)
        real_close(p);
}

static int fb_ioctl(unsigned long request, void* arg)
{
    unsigned type = _IOC_TYPE(request), nr = _IOC_NR(request), size = _IOC_SIZE(request);
    switch (request) {
    case FBIOGET_VSCREENINFO:
        memcpy(arg, &var, sizeof var);
        logf_("ioctl FBIOGET_VSCREENINFO: ok");
        return 0;
    case FBIOGET_FSCREENINFO:
        memcpy(arg, &fix, sizeof fix);
        logf_("ioctl FBIOGET_FSCREENINFO: ok");
        return 0;
    case FBIOPUT_VSCREENINFO:
        return fb_put(arg);
    case FBIOPAN_DISPLAY:
    case FBIOBLANK:
        logf_("ioctl 0x%lx: ok", request);
        return 0;
    }
    if (epdc && type == 'F' && nr == 0x2E && in_list(env("INKMATE_SIM_SEND", ""), size)) {
        const uint32_t* u = arg; /* top, left, width, height, waveform, mode, marker */
        if (u[1] + u[2] > var.xres || u[0] + u[3] > var.yres || !u[2] || !u[3]) {
            logf_("update %u bytes region %u,%u %ux%u: EINVAL", size, u[1], u[0], u[2], u[3]);
            errno = EINVAL;
            return -1;
        }
        show(u[0], u[1], u[2], u[3]);
        logf_("update %u bytes region %u,%u %ux%u waveform %u %s marker %u: ok", size, u[1], u[0],
              u[2], u[3], u[4], u[5] ? "full" : "partial", u[6]);
        return 0;
    }
    if (epdc && type == 'F' && nr == 0x2F && in_list(env("INKMATE_SIM_WAIT", ""), size)) {
        if (size == 8)
            ((uint32_t*)arg)[1] = 0;
        logf_("wait %u bytes marker %u: ok", size, *(uint32_t*)arg);
        return 0;
    }
    if (epdc && type == 'F' && nr >= 0x2B && nr <= 0x32 && nr != 0x2E && nr != 0x2F && size == 4) {
        logf_("ioctl mxcfb 0x%x value %u: ok", nr, *(uint32_t*)arg);
        return 0;
    }
    logf_("ioctl 0x%lx (type '%c' nr 0x%x size %u) refused: ENOTTY", request, type, nr, size);
    errno = ENOTTY;
    return -1;
}

static void set_bit(void* bits, unsigned size, unsigned bit)
{
    if (bit / 8 < size)
        ((unsigned char*)bits)[bit / 8] |= (unsigned char)(1u << (bit % 8));
}

static int input_ioctl(int touch, unsigned long request, void* arg)
{
    unsigned nr = _IOC_NR(request), size = _IOC_SIZE(request);
    unsigned tx = 1071, ty = 1447, tn = 1;
    sscanf(env("INKMATE_SIM_TOUCH", ""), "%u,%u,%u", &tn, &tx, &ty);
    if (_IOC_TYPE(request) != 'E') {
        errno = ENOTTY;
        return -1;
    }
    if (nr == 0x01) {
        *(int*)arg = EV_VERSION;
    } else if (nr == 0x02) {
        struct input_id* id = arg;
        memset(id, 0, sizeof *id);
        id->bustype = touch ? BUS_I2C : BUS_HOST;
    } else if (nr == 0x06) {
        snprintf(arg, size, "%s", touch ? "sim-touch" : "sim-keys");
        return (int)strlen(arg) + 1;
    } else if (nr == 0x09 || (nr >= 0x18 && nr <= 0x1b) || (nr >= 0x20 && nr < 0x40)) {
        memset(arg, 0, size);
        if (nr == 0x09 && touch)
            set_bit(arg, size, INPUT_PROP_DIRECT);
        if (nr == 0x20) {
            set_bit(arg, size, EV_SYN);
            set_bit(arg, size, EV_KEY);
            set_bit(arg, size, touch ? EV_ABS : EV_SW);
        } else if (nr == 0x20 + EV_KEY && touch) {
            set_bit(arg, size, BTN_TOUCH);
        } else if (nr == 0x20 + EV_KEY) {
            const unsigned keys[] = {KEY_POWER, KEY_HOME, 193, 194};
            for (unsigned i = 0; i < 4; ++i)
                set_bit(arg, size, keys[i]);
        } else if (nr == 0x20 + EV_ABS && touch) {
            const unsigned axes[] = {ABS_X,
                                     ABS_Y,
                                     ABS_MT_SLOT,
                                     ABS_MT_POSITION_X,
                                     ABS_MT_POSITION_Y,
                                     ABS_MT_TRACKING_ID};
            for (unsigned i = 0; i < 6; ++i)
                set_bit(arg, size, axes[i]);
        } else if (nr == 0x20 + EV_SW && !touch) {
            set_bit(arg, size, SW_LID);
        }
        return (int)size;
    } else if (nr >= 0x40 && nr < 0x40 + ABS_CNT && touch) {
        struct input_absinfo* a = arg;
        unsigned axis = nr - 0x40;
        memset(a, 0, sizeof *a);
        a->maximum = axis == ABS_X || axis == ABS_MT_POSITION_X   ? (int)tx
                     : axis == ABS_Y || axis == ABS_MT_POSITION_Y ? (int)ty
                     : axis == ABS_MT_SLOT                        ? 9
                     : axis == ABS_MT_TRACKING_ID                 ? 65535
                                                                  : 0;
    } else if (nr == 0x90 || nr == 0x03 || nr == 0xa0) {
        if (_IOC_DIR(request) & _IOC_READ)
            memset(arg, 0, size);
    } else {
        errno = EINVAL;
        return -1;
    }
    return 0;
}

static int event_number(const char* path)
{
    unsigned n;
    char rest;
    if (sscanf(path, "/dev/input/event%u%c", &n, &rest) == 1)
        return (int)n;
    return -1;
}

/* The file behind a served device path, for the calls that only look at it. */
static const char* backing(const char* path, char* buf, size_t size)
{
    init();
    if (!path)
        return path;
    if (strcmp(path, env("INKMATE_FB", "/dev/fb0")) == 0) {
        fb_setup();
        sim_path(buf, size, "fb.raw");
        return buf;
    }
    int n = event_number(path);
    if (n >= 0) {
        char name[32];
        snprintf(name, sizeof name, "event%d", n);
        sim_path(buf, size, name);
        return buf;
    }
    return path;
}

#define LOOK(ret, name, params, ...)                                                               \
    ret name params                                                                                \
    {                                                                                              \
        char buf[4096];                                                                            \
        ret(*real) params = (ret(*) params)dlsym(RTLD_NEXT, #name);                                \
        path = backing(path, buf, sizeof buf);                                                     \
        return real(__VA_ARGS__);                                                                  \
    }
LOOK(int, access, (const char* path, int mode), path, mode)
LOOK(int, faccessat, (int dirfd, const char* path, int mode, int flags), dirfd, path, mode, flags)
LOOK(int, stat, (const char* path, struct stat* st), path, st)
LOOK(int, stat64, (const char* path, struct stat64* st), path, st)
LOOK(int, lstat, (const char* path, struct stat* st), path, st)
LOOK(int, lstat64, (const char* path, struct stat64* st), path, st)
LOOK(int, fstatat, (int dirfd, const char* path, struct stat* st, int flags), dirfd, path, st,
     flags)
LOOK(int, fstatat64, (int dirfd, const char* path, struct stat64* st, int flags), dirfd, path, st,
     flags)
LOOK(int, statx, (int dirfd, const char* path, int flags, unsigned mask, struct statx* st), dirfd,
     path, flags, mask, st)

static int serve(const char* path, int flags, mode_t mode, int dirfd, int at)
{
    init();
    if (path && strcmp(path, env("INKMATE_FB", "/dev/fb0")) == 0) {
        fb_setup();
        char file[4096];
        sim_path(file, sizeof file, "fb.raw");
        int fd = real_open(file, O_RDWR | (flags & O_CLOEXEC));
        if (fd >= 0 && fd < MAX_FD)
            kinds[fd] = FB;
        logf_("open %s: %s", path, fd >= 0 ? "ok" : strerror(errno));
        return fd;
    }
    int n = path ? event_number(path) : -1;
    if (n >= 0) {
        char file[4096], name[32];
        snprintf(name, sizeof name, "event%d", n);
        sim_path(file, sizeof file, name);
        /* Read-write, so the FIFO always has a writer and never reads as ended. */
        int fd = real_open(file, O_RDWR | O_NONBLOCK | (flags & O_CLOEXEC));
        if (fd >= 0) {
            if (!(flags & O_NONBLOCK))
                fcntl(fd, F_SETFL, 0);
            unsigned tn = 1;
            sscanf(env("INKMATE_SIM_TOUCH", ""), "%u", &tn);
            if (fd < MAX_FD)
                kinds[fd] = (unsigned)n == tn ? TOUCH : KEYS;
        } else {
            errno = ENOENT;
        }
        logf_("open %s: %s", path, fd >= 0 ? "ok" : "no such device");
        return fd;
    }
    if (path && strncmp(path, "/dev/tty", 8) == 0 && path[8] >= '0' && path[8] <= '9') {
        errno = ENOENT; /* readers have no virtual consoles */
        return -1;
    }
    return at ? real_openat(dirfd, path, flags, mode) : real_open(path, flags, mode);
}

static mode_t mode_arg(int flags, va_list ap)
{
    return (flags & (O_CREAT | O_TMPFILE)) ? (mode_t)va_arg(ap, int) : 0;
}

int open(const char* path, int flags, ...)
{
    va_list ap;
    va_start(ap, flags);
    mode_t mode = mode_arg(flags, ap);
    va_end(ap);
    return serve(path, flags, mode, AT_FDCWD, 0);
}

int open64(const char* path, int flags, ...)
{
    va_list ap;
    va_start(ap, flags);
    mode_t mode = mode_arg(flags, ap);
    va_end(ap);
    return serve(path, flags | O_LARGEFILE, mode, AT_FDCWD, 0);
}

int openat(int dirfd, const char* path, int flags, ...)
{
    va_list ap;
    va_start(ap, flags);
    mode_t mode = mode_arg(flags, ap);
    va_end(ap);
    return serve(path, flags, mode, dirfd, 1);
}

int openat64(int dirfd, const char* path, int flags, ...)
{
    va_list ap;
    va_start(ap, flags);
    mode_t mode = mode_arg(flags, ap);
    va_end(ap);
    return serve(path, flags | O_LARGEFILE, mode, dirfd, 1);
}

int __open_2(const char* path, int flags)
{
    return serve(path, flags, 0, AT_FDCWD, 0);
}
int __open64_2(const char* path, int flags)
{
    return serve(path, flags, 0, AT_FDCWD, 0);
}

int ioctl(int fd, unsigned long request, ...)
{
    init();
    va_list ap;
    va_start(ap, request);
    void* arg = va_arg(ap, void*);
    va_end(ap);
    unsigned kind = fd >= 0 && fd < MAX_FD ? kinds[fd] : NONE;
    if (kind == FB)
        return fb_ioctl(request, arg);
    if (kind == KEYS || kind == TOUCH)
        return input_ioctl(kind == TOUCH, request, arg);
    return real_ioctl(fd, request, arg);
}

int close(int fd)
{
    init();
    if (fd >= 0 && fd < MAX_FD)
        kinds[fd] = NONE;
    return real_close(fd);
}

int uname(struct utsname* name)
{
    init();
    int r = real_uname(name);
    const char* release = getenv("INKMATE_SIM_RELEASE");
    if (r == 0 && release)
        snprintf(name->release, sizeof name->release, "%s", release);
    return r;
}
