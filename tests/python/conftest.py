"""Shared pieces of the velmora module's tests: the command beside the module, and images on disk."""

import os
import subprocess

import numpy as np
import OpenImageIO as oiio
import pytest

import velmora

COMMAND = os.environ.get("VELMORA_COMMAND", "velmora")


def run_command(*args):
    """Runs the velmora command; returns (exit status, stderr)."""
    done = subprocess.run([COMMAND, *map(str, args)], capture_output=True, text=True)
    return done.returncode, done.stderr.strip()


def write_image(path, pixels):
    spec = oiio.ImageSpec(pixels.shape[1], pixels.shape[0], 1 if pixels.ndim == 2 else pixels.shape[2],
                          {np.dtype(np.uint8): "uint8", np.dtype(np.uint16): "uint16",
                           np.dtype(np.float16): "half", np.dtype(np.float32): "float"}[pixels.dtype])
    out = oiio.ImageOutput.create(str(path))
    assert out.open(str(path), spec), oiio.geterror()
    # OpenImageIO takes a grey array as (height, width, 1).
    assert out.write_image(pixels.reshape(pixels.shape[0], pixels.shape[1], -1))
    out.close()


def read_image(path, dtype):
    buf = oiio.ImageBuf(str(path))
    fmt = {np.dtype(np.uint8): "uint8", np.dtype(np.uint16): "uint16",
           np.dtype(np.float16): "half", np.dtype(np.float32): "float"}[np.dtype(dtype)]
    pixels = buf.get_pixels(fmt)
    assert pixels is not None, buf.geterror()
    return pixels, (buf.spec().x, buf.spec().y)


def test_image(dtype, channels, height=36, width=48, seed=1):
    """A small frame with bright spots on a dim ground, partly transparent when it has alpha."""
    rng = np.random.default_rng(seed)
    colour = rng.uniform(0.0, 0.15, (height, width, 3))
    colour[10:14, 12:20] = [1.0, 0.8, 0.3]
    colour[25:28, 30:33] = [0.2, 0.9, 1.0]
    alpha = np.ones((height, width, 1))
    alpha[:, :8] = 0.5
    alpha[:4] = 0.0
    if channels == 4:
        pixels = np.concatenate([colour * alpha, alpha], axis=2)  # premultiplied
    elif channels == 3:
        pixels = colour
    else:
        pixels = colour[:, :, 1]
    if np.dtype(dtype).kind == "u":
        top = np.iinfo(dtype).max
        return np.round(pixels * top).astype(dtype)
    return pixels.astype(dtype)


test_image.__test__ = False  # a fixture maker, not a test


@pytest.fixture
def velmora_module():
    return velmora
