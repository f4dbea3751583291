/* What the simulated panel shows, as the user holding the reader upright sees it.
 *   devsim-view SIM_DIR UPRIGHT_ROTATE OUT.pgm   the panel as an 8-bit grey PGM;
 *       UPRIGHT_ROTATE is the frame buffer rotation that shows memory upright
 *       ("any": the driver keeps memory upright whatever the rotation)
 *   devsim-view diff A.pgm B.pgm                 per mille of pixels that differ
 *                                                (1000 when the sizes differ)
 *   devsim-view blank A.pgm                      1 when every pixel is alike, else 0 */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static unsigned char* read_pgm(const char* path, unsigned* w, unsigned* h)
{
    FILE* f = fopen(path, "rb");
    unsigned max;
    if (!f || fscanf(f, "P5 %u %u %u", w, h, &max) != 3 || fgetc(f) == EOF) {
        fprintf(stderr, "devsim-view: cannot read %s\n", path);
        exit(2);
    }
    unsigned char* p = malloc((size_t)*w * *h);
    if (!p || fread(p, 1, (size_t)*w * *h, f) != (size_t)*w * *h) {
        fprintf(stderr, "devsim-view: %s is short\n", path);
        exit(2);
    }
    fclose(f);
    return p;
}

static int diff(const char* a_path, const char* b_path)
{
    unsigned aw, ah, bw, bh;
    unsigned char* a = read_pgm(a_path, &aw, &ah);
    unsigned char* b = read_pgm(b_path, &bw, &bh);
    if (aw != bw || ah != bh) {
        printf("1000\n");
        return 0;
    }
    size_t differ = 0, n = (size_t)aw * ah;
    for (size_t i = 0; i < n; ++i)
        differ += abs(a[i] - b[i]) > 64;
    printf("%zu\n", differ * 1000 / n);
    return 0;
}

static int blank(const char* path)
{
    unsigned w, h;
    unsigned char* p = read_pgm(path, &w, &h);
    size_t n = (size_t)w * h, i = 1;
    while (i < n && abs(p[i] - p[0]) <= 64)
        ++i;
    printf("%d\n", i == n);
    return 0;
}

int main(int argc, char** argv)
{
    if (argc == 4 && strcmp(argv[1], "diff") == 0)
        return diff(argv[2], argv[3]);
    if (argc == 3 && strcmp(argv[1], "blank") == 0)
        return blank(argv[2]);
    if (argc != 4) {
        fprintf(
            stderr,
            "usage: devsim-view SIM_DIR UPRIGHT_ROTATE OUT.pgm | diff A.pgm B.pgm | blank A.pgm\n");
        return 2;
    }
    char path[4096];
    unsigned xres, yres, xv, bpp, rotate, line;
    int epdc;
    snprintf(path, sizeof path, "%s/fb.state", argv[1]);
    FILE* f = fopen(path, "r");
    if (!f ||
        fscanf(f, "%u %u %u %u %u %u %d", &xres, &yres, &xv, &bpp, &rotate, &line, &epdc) != 7) {
        fprintf(stderr, "devsim-view: no frame buffer state in %s\n", path);
        return 2;
    }
    fclose(f);
    snprintf(path, sizeof path, "%s/%s", argv[1], epdc ? "panel.raw" : "fb.raw");
    f = fopen(path, "rb");
    size_t size = (size_t)line * yres;
    unsigned char* mem = malloc(size);
    if (!f || !mem || fread(mem, 1, size, f) != size) {
        fprintf(stderr, "devsim-view: %s is short\n", path);
        return 2;
    }
    fclose(f);
    unsigned turns = 0;
    if (strcmp(argv[2], "any") != 0)
        turns = (rotate - (unsigned)atoi(argv[2])) & 3;
    unsigned w = turns & 1 ? yres : xres, h = turns & 1 ? xres : yres;
    unsigned char* out = malloc((size_t)w * h);
    for (unsigned y = 0; y < yres; ++y) {
        for (unsigned x = 0; x < xres; ++x) {
            const unsigned char* p = mem + (size_t)y * line + (size_t)x * (bpp / 8);
            unsigned grey;
            if (bpp == 32) {
                grey = (p[2] * 299u + p[1] * 587u + p[0] * 114u) / 1000u;
            } else if (bpp == 16) {
                unsigned v = p[0] | p[1] << 8;
                grey = (((v >> 11) & 31) * 255 / 31 * 299u + ((v >> 5) & 63) * 255 / 63 * 587u +
                        (v & 31) * 255 / 31 * 114u) /
                       1000u;
            } else {
                grey = p[0];
            }
            /* Memory turned clockwise by turns quarter turns. */
            unsigned ox = x, oy = y;
            if (turns == 1)
                ox = yres - 1 - y, oy = x;
            else if (turns == 2)
                ox = xres - 1 - x, oy = yres - 1 - y;
            else if (turns == 3)
                ox = y, oy = xres - 1 - x;
            out[(size_t)oy * w + ox] = (unsigned char)grey;
        }
    }
    f = fopen(argv[3], "wb");
    if (!f || fprintf(f, "P5\n%u %u\n255\n", w, h) < 0 ||
        fwrite(out, 1, (size_t)w * h, f) != (size_t)w * h) {
        fprintf(stderr, "devsim-view: cannot write %s\n", argv[3]);
        return 2;
    }
    fclose(f);
    return 0;
}
