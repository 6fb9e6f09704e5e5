"""velmora.glow against the command on the same pixels, the arrays it takes and refuses, threads
and interruption."""

import _thread
import threading
import time

import numpy as np
import OpenImageIO as oiio
import pytest

import velmora
from conftest import read_image, run_command, test_image, write_image

DEPTHS = {np.uint8: 8, np.uint16: 16, np.float16: 32, np.float32: 32}
CONTROLS = dict(radius=12, intensity=1.5, mode="add", tint="#ffa040", tint_mode="soft")


@pytest.mark.parametrize("dtype", [np.uint8, np.uint16, np.float16, np.float32])
@pytest.mark.parametrize("channels", [4, 3, 1])
def test_glow_equals_the_command(tmp_path, dtype, channels):
    pixels = test_image(dtype, channels)
    # Grey stays grey only untinted: the command writes a tinted grey image as RGB.
    controls = dict(radius=12, intensity=1.5, mode="add") if channels == 1 else CONTROLS
    suffix = ".exr" if np.dtype(dtype).kind == "f" else ".tif"
    source, rendered = tmp_path / ("in" + suffix), tmp_path / ("out" + suffix)
    write_image(source, pixels)
    flags = [f"--{name.replace('_', '-')}={value}" for name, value in controls.items()]
    status, message = run_command("render", source, rendered, "--depth", DEPTHS[dtype], "-q", *flags)
    assert status == 0, message
    expected, _ = read_image(rendered, dtype)

    result = velmora.glow(pixels, **controls)
    assert result.dtype == pixels.dtype and result.shape == pixels.shape
    np.testing.assert_array_equal(result.reshape(expected.shape), expected)
    assert not np.array_equal(result, pixels)


# The options the command builds around the effect, by the keywords named as its flags.
COMP = [
    (np.float32, 4, dict(threshold=0.5, softness=0.5)),
    (np.float32, 4, dict(threshold=0.4, mix=0.6, glow_pass=True, mode="add")),
    (np.uint8, 4, dict(mix=0.35, tint="#ffa040")),
    (np.uint16, 4, dict(threshold=0.3, softness=1.0, glow_pass=True, unmultiply=True)),
    (np.uint16, 3, dict(threshold=0.25, mix=0.8)),
]


@pytest.mark.parametrize("dtype,channels,options", COMP)
def test_comp_options_equal_the_command(tmp_path, dtype, channels, options):
    pixels = test_image(dtype, channels)
    suffix = ".exr" if np.dtype(dtype).kind == "f" else ".tif"
    source, rendered = tmp_path / ("in" + suffix), tmp_path / ("out" + suffix)
    write_image(source, pixels)
    flags = [f"--{name.replace('_', '-')}" if value is True else
             f"--{name.replace('_', '-')}={value}" for name, value in options.items()]
    status, message = run_command("render", source, rendered, "--depth", DEPTHS[dtype], "-q",
                                  "--radius=12", *flags)
    assert status == 0, message
    expected, _ = read_image(rendered, dtype)

    result = velmora.glow(pixels, radius=12, **options)
    assert result.shape == pixels.shape
    np.testing.assert_array_equal(result, expected)
    assert not np.array_equal(result, velmora.glow(pixels, radius=12))


def test_full_extent_equals_the_commands_data_window(tmp_path):
    pixels = test_image(np.float32, 4)
    write_image(tmp_path / "in.exr", pixels)
    status, message = run_command("render", tmp_path / "in.exr", tmp_path / "out.exr", "-q",
                                  "--radius=20", "--repeat-edges")
    assert status == 0, message
    expected, origin = read_image(tmp_path / "out.exr", np.float32)

    full, offset = velmora.glow(pixels, radius=20, repeat_edges=True, extent="full")
    assert offset == origin
    np.testing.assert_array_equal(full, expected)
    cropped = velmora.glow(pixels, radius=20, repeat_edges=True)
    x, y = -offset[0], -offset[1]
    np.testing.assert_array_equal(cropped, full[y:y + pixels.shape[0], x:x + pixels.shape[1]])


def test_straight_alpha_and_depth_keywords():
    premultiplied = test_image(np.float32, 4)
    alpha = premultiplied[:, :, 3:]
    straight = np.concatenate(
        [np.divide(premultiplied[:, :, :3], alpha, out=np.zeros_like(premultiplied[:, :, :3]),
                   where=alpha > 0), alpha], axis=2)
    from_straight = velmora.glow(straight, radius=10, premultiplied=False)
    from_premultiplied = velmora.glow(premultiplied, radius=10)
    visible = alpha[:, :, 0] > 0
    np.testing.assert_allclose((from_straight[:, :, :3] * from_straight[:, :, 3:])[visible],
                               from_premultiplied[:, :, :3][visible], atol=1e-5)
    # An 8-bit render of a float array stays float, on the host's 8-bit levels.
    at_8 = velmora.glow(premultiplied, radius=10, depth=8)
    assert at_8.dtype == np.float32
    assert not np.array_equal(at_8, from_premultiplied)


def test_views_read_only_and_half_arrays():
    base = test_image(np.float32, 4, height=40, width=96)
    strided = base[:, ::2]
    assert not strided.flags.c_contiguous
    np.testing.assert_array_equal(velmora.glow(strided, radius=8),
                                  velmora.glow(np.ascontiguousarray(strided), radius=8))
    fortran = np.asfortranarray(base)
    np.testing.assert_array_equal(velmora.glow(fortran, radius=8), velmora.glow(base, radius=8))
    frozen = base.copy()
    frozen.setflags(write=False)
    result = velmora.glow(frozen, radius=8)
    assert result.flags.writeable
    np.testing.assert_array_equal(frozen, base)  # the input is never written

    half = base.astype(np.float16)
    result = velmora.glow(half, radius=8)
    assert result.dtype == np.float16
    np.testing.assert_allclose(result.astype(np.float32),
                               velmora.glow(half.astype(np.float32), radius=8), atol=2e-3)


# Each control refused with the command's own words: the command is asked the same.
REFUSED = [
    ("radius", 900, "--radius=900"),
    ("intensity", -1.0, "--intensity=-1.0"),
    ("mode", "bright", "--mode=bright"),
    ("tint", "#zz0000", "--tint=#zz0000"),
    ("tint_mode", "hard", "--tint-mode=hard"),
    ("threshold", 1500.0, "--threshold=1500.0"),
    ("softness", "wide", "--softness=wide"),
    ("mix", -0.5, "--mix=-0.5"),
]


@pytest.mark.parametrize("keyword,value,flag", REFUSED)
def test_refusals_carry_the_commands_words(tmp_path, keyword, value, flag):
    write_image(tmp_path / "in.exr", test_image(np.float32, 4))
    status, message = run_command("render", tmp_path / "in.exr", tmp_path / "out.exr", flag)
    assert status == 2
    with pytest.raises(velmora.Error) as raised:
        velmora.glow(test_image(np.float32, 4), **{keyword: value})
    assert message == "velmora: " + str(raised.value)
    assert not (tmp_path / "out.exr").exists()


@pytest.mark.parametrize("pixels,keywords,words", [
    (np.zeros((8, 8, 4), np.int32), {}, "int32"),
    (np.zeros((8, 8, 2), np.float32), {}, "shape"),
    (np.zeros((0, 8, 4), np.float32), {}, "no pixels"),
    (np.zeros((8, 8, 4), np.float32), {"depth": 12}, "--depth: '12' is not one of 8, 16, 32"),
    (np.zeros((8, 8, 4), np.float32), {"extent": "half"}, "extent"),
    (np.zeros((8, 8), np.float32), {"tint": "#ff0000"}, "grey"),
    (np.zeros((8, 8, 4), np.float32), {"gamma": "maybe"}, "is not on or off"),
    (np.zeros((8, 8, 4), np.float32), {"glow_pass": "maybe"}, "--glow-pass: 'maybe' is not on or off"),
])
def test_arrays_and_keywords_refused(pixels, keywords, words):
    with pytest.raises(velmora.Error, match=words):
        velmora.glow(pixels, **keywords)


def test_two_threads_give_what_one_does():
    images = [test_image(np.float32, 4, seed=seed) for seed in (1, 2)]
    expected = [velmora.glow(image, radius=30, tint=(1, 0.5, 0.25)) for image in images]
    results = [None, None]

    def work(i):
        for _ in range(3):
            results[i] = velmora.glow(images[i], radius=30, tint=(1, 0.5, 0.25))

    threads = [threading.Thread(target=work, args=(i,)) for i in range(2)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    for result, wanted in zip(results, expected):
        np.testing.assert_array_equal(result, wanted)


def test_ctrl_c_interrupts_a_render():
    big = np.full((1500, 2000, 4), 0.5, np.float32)
    start = time.perf_counter()
    velmora.glow(big, radius=500, repeat_edges=True)
    whole = time.perf_counter() - start

    timer = threading.Timer(whole / 10, _thread.interrupt_main)
    start = time.perf_counter()
    timer.start()
    with pytest.raises(KeyboardInterrupt):
        velmora.glow(big, radius=500, repeat_edges=True)
    assert time.perf_counter() - start < whole
    timer.join()
    # The next call renders in full.
    small = test_image(np.float32, 4)
    np.testing.assert_array_equal(velmora.glow(small, radius=5), velmora.glow(small, radius=5))


def test_openimageio_imagebuf_round_trip(tmp_path):
    source = oiio.ImageBuf(oiio.ImageSpec(48, 36, 4, "half"))
    source.set_pixels(oiio.ROI(), test_image(np.float16, 4))
    glowed = velmora.glow(source.get_pixels("half"), radius=10)
    out = oiio.ImageBuf(source.spec())
    assert out.set_pixels(oiio.ROI(), glowed)
    assert out.write(str(tmp_path / "glow.exr"))
    back = oiio.ImageBuf(str(tmp_path / "glow.exr")).get_pixels("half")
    np.testing.assert_array_equal(back, glowed)


def test_controls_and_version():
    table = velmora.controls()
    names = [control["name"] for control in table["controls"]]
    assert names[:3] == ["radius", "intensity", "mode"]
    # The options around the effect, each a keyword of glow (named as its flag, in snake_case).
    options = [option["name"] for option in table["options"]]
    assert options == ["threshold", "softness", "mix", "glow-pass"]
    for option in options:
        velmora.glow(test_image(np.float32, 4, height=8, width=8),
                     **{option.replace("-", "_"): None})
    assert table["effect"]["version"] == velmora.__version__
    status, _ = run_command("info", "--json")
    assert status == 0
