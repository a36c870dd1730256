#!/usr/bin/env python3
"""Times the reference tools (libvips' `vips`, ImageMagick's `convert`) on the
12-megapixel picture the effect benchmarks use, doing the operation nearest
to each effect pass. Each figure is a net time: the median of the command
minus the median of the same tool only copying the picture in the same
formats, so that reading and writing the files is not counted.

Usage: bench_effects_reference.py [--runs N] [--dir DIR] [--picture FILE]
FILE is the picture the in-process benchmark used (default: 4000 x 3000 of
noise made here). Needs `vips` (libvips-tools) and `convert` (imagemagick);
DIR should be a memory file system (default /dev/shm)."""

import argparse
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

WIDTH, HEIGHT = 4000, 3000


def run(cmd):
    subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)


def header(path, field):
    out = subprocess.run(["vipsheader", "-f", field, path], check=True, capture_output=True, text=True).stdout
    return int(out)


def median_ms(cmds, runs):
    """Median over `runs` of the summed wall time of the commands, in ms."""
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        for cmd in cmds:
            run(cmd)
        times.append((time.perf_counter() - start) * 1000)
    return statistics.median(times)


def write_matrix(path, rows, scale=1, offset=0):
    with open(path, "w") as f:
        f.write(f"{len(rows[0])} {len(rows)} {scale} {offset}\n")
        for row in rows:
            f.write(" ".join(str(v) for v in row) + "\n")


def kernels(d):
    """Mask files: box, sharpen and emboss kernels of sizes 3 and 9."""
    for n in (3, 9):
        r = n // 2
        write_matrix(f"{d}/box{n}.mat", [[1] * n], scale=n)
        write_matrix(f"{d}/sharpen{n}.mat",
                     [[n * n if (i, j) == (r, r) else -1 for j in range(n)] for i in range(n)])
        write_matrix(f"{d}/emboss{n}.mat",
                     [[1 if i + j <= r - 1 else -1 if i + j >= 2 * (n - 1) - (r - 1) else 0
                       for j in range(n)] for i in range(n)], offset=125)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--dir", default="/dev/shm")
    parser.add_argument("--picture")
    args = parser.parse_args()
    vips, convert = shutil.which("vips"), shutil.which("convert")
    if not vips or not convert:
        sys.exit("needs vips (libvips-tools) and convert (imagemagick)")

    with tempfile.TemporaryDirectory(dir=args.dir) as d:
        # The picture (or three bands of noise around mid grey) in each tool's
        # own uncompressed form, and a 640 x 480 overlay.
        if args.picture:
            run([convert, args.picture, "-depth", "8", f"{d}/in.ppm"])
            run([vips, "copy", f"{d}/in.ppm", f"{d}/in.v"])
        else:
            for band in "bgr":
                run([vips, "gaussnoise", f"{d}/{band}.v", str(WIDTH), str(HEIGHT), "--mean", "128", "--sigma", "40"])
                run([vips, "cast", f"{d}/{band}.v", f"{d}/{band}8.v", "uchar"])
            run([vips, "bandjoin", f"{d}/b8.v {d}/g8.v {d}/r8.v", f"{d}/in.v"])
            run([vips, "copy", f"{d}/in.v", f"{d}/in.ppm"])
        run([convert, f"{d}/in.ppm", f"{d}/in.mpc"])
        run([convert, f"{d}/in.mpc", "-sample", "640x480!", f"{d}/over.mpc"])
        kernels(d)
        width, height = (header(f"{d}/in.v", field) for field in ("width", "height"))
        i, o, im_in, im_out = f"{d}/in.v", f"{d}/out.v", f"{d}/in.mpc", f"{d}/out.mpc"

        vips_copy = median_ms([[vips, "copy", i, o]], args.runs)
        im_copy = median_ms([[convert, im_in, im_out]], args.runs)
        cases = [
            ("AdjustChannels", "vips linear +100 red", [[vips, "linear", i, o, "1 1 1", "0 0 100", "--uchar"]]),
            ("SwapChannels", "convert -separate -swap 0,2 -combine",
             [[convert, im_in, "-separate", "-swap", "0,2", "-combine", im_out]]),
            ("Brighten", "vips linear +40", [[vips, "linear", i, o, "1", "40", "--uchar"]]),
            ("Contrast", "vips linear x1.2", [[vips, "linear", i, o, "1.2", " -25.6", "--uchar"]]),
            ("Invert", "vips invert", [[vips, "invert", i, o]]),
            ("GrayScale", "vips colourspace b-w", [[vips, "colourspace", i, o, "b-w"]]),
            ("Blur/1", "vips convsep 3x3 box", [[vips, "convsep", i, o, f"{d}/box3.mat", "--precision", "integer"]]),
            ("Blur/4", "vips convsep 9x9 box", [[vips, "convsep", i, o, f"{d}/box9.mat", "--precision", "integer"]]),
            ("Blur/4 (IM)", "convert -morphology Convolve Square:4",
             [[convert, im_in, "-define", "convolve:scale=!", "-morphology", "Convolve", "Square:4", im_out]]),
            ("Sharpen/1", "vips conv 3x3", [[vips, "conv", i, o, f"{d}/sharpen3.mat", "--precision", "integer"]]),
            ("Sharpen/4", "vips conv 9x9", [[vips, "conv", i, o, f"{d}/sharpen9.mat", "--precision", "integer"]]),
            ("Emboss/1", "vips conv 3x3", [[vips, "conv", i, o, f"{d}/emboss3.mat", "--precision", "integer"]]),
            ("Emboss/4", "vips conv 9x9", [[vips, "conv", i, o, f"{d}/emboss9.mat", "--precision", "integer"]]),
            ("Mosaic/1", "vips shrink 3 + zoom 3",
             [[vips, "shrink", i, f"{d}/t.v", "3", "3"], [vips, "zoom", f"{d}/t.v", o, "3", "3"]]),
            ("Mosaic/4", "vips shrink 9 + zoom 9",
             [[vips, "shrink", i, f"{d}/t.v", "9", "9"], [vips, "zoom", f"{d}/t.v", o, "9", "9"]]),
            ("RandomPattern", "convert +noise Uniform", [[convert, im_in, "+noise", "Uniform", im_out]]),
            ("FlipHorizontal", "vips flip horizontal", [[vips, "flip", i, o, "horizontal"]]),
            ("FlipVertical", "vips flip vertical", [[vips, "flip", i, o, "vertical"]]),
            ("Rotate/1", "vips rot d90", [[vips, "rot", i, o, "d90"]]),
            ("Rotate/2", "vips rot d180", [[vips, "rot", i, o, "d180"]]),
            ("OverlayBlend/1", "convert -sample -compose screen",
             [[convert, im_in, "(", f"{d}/over.mpc", "-sample", f"{width}x{height}!", ")", "-compose", "screen",
               "-composite", im_out]]),
        ]
        print(f"copy baselines: vips {vips_copy:.1f} ms, convert {im_copy:.1f} ms (medians of {args.runs})")
        print(f"{'pass':<16} {'reference':<40} {'net ms':>8}")
        for name, what, cmds in cases:
            base = im_copy * len(cmds) if cmds[0][0] == convert else vips_copy * len(cmds)
            net = median_ms(cmds, args.runs) - base
            print(f"{name:<16} {what:<40} {net:8.1f}")


if __name__ == "__main__":
    main()
