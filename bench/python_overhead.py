#!/usr/bin/env python3
"""The velmora module's overhead over the render itself, on a 1080p float frame, in one process.

For each repetition: velmora.glow on a (1080, 1920, 4) float32 array, timed as a script sees
it, against the engine's render of the same frame inside that call (what velmora render spends
rendering it; velmora._last_render_seconds). The difference is the module: the array's rows
into the host's world and back, the controls, the wait without the GIL. The command's own time
for the same frame from a file (read, render, write) is shown beside it for scale.

    PYTHONPATH=build/release/python /usr/bin/python3 bench/python_overhead.py [repetitions]

Not a test: figures depend on the machine and its load. Medians of the repetitions.
"""

import os
import pathlib
import statistics
import subprocess
import sys
import tempfile
import time

import numpy as np

import velmora

REPETITIONS = int(sys.argv[1]) if len(sys.argv) > 1 else 7
CONTROLS = dict(radius=100, intensity=1.0, tint="#ffa040")


def frame():
    rng = np.random.default_rng(7)
    pixels = rng.uniform(0.0, 0.2, (1080, 1920, 4)).astype(np.float32)
    pixels[400:680, 800:1120, :3] = [1.0, 0.85, 0.6]
    pixels[:, :, 3] = 1.0
    return pixels


def main():
    pixels = frame()
    velmora.glow(pixels, **CONTROLS)  # loads the effect; not timed
    walls, renders = [], []
    for _ in range(REPETITIONS):
        start = time.perf_counter()
        velmora.glow(pixels, **CONTROLS)
        walls.append(time.perf_counter() - start)
        renders.append(velmora._last_render_seconds())
    wall, render = statistics.median(walls), statistics.median(renders)
    overheads = [w / r - 1.0 for w, r in zip(walls, renders)]
    print(f"1080p float RGBA, radius 100, tint, {REPETITIONS} repetitions (medians):")
    print(f"  velmora.glow, as the script sees it   {wall * 1000:8.1f} ms")
    print(f"  the engine's render inside it         {render * 1000:8.1f} ms")
    print(f"  the module's overhead                 {statistics.median(overheads) * 100:8.1f} %"
          f"  (min {min(overheads) * 100:.1f} %, max {max(overheads) * 100:.1f} %)")

    command = os.environ.get("VELMORA_COMMAND")
    if command:
        import OpenImageIO as oiio
        with tempfile.TemporaryDirectory() as folder:
            source = pathlib.Path(folder) / "in.exr"
            out = oiio.ImageOutput.create(str(source))
            out.open(str(source), oiio.ImageSpec(1920, 1080, 4, "float"))
            out.write_image(pixels)
            out.close()
            start = time.perf_counter()
            subprocess.run([command, "render", str(source), str(pathlib.Path(folder) / "out.exr"),
                            "-q", "--radius=100", "--tint=#ffa040"], check=True)
            print(f"  velmora render of it from a file      "
                  f"{(time.perf_counter() - start) * 1000:8.1f} ms (a process: load, read, write)")


if __name__ == "__main__":
    main()
