"""velmora.render: the command's files and messages, progress, refusals."""

import numpy as np
import pytest

import velmora
from conftest import read_image, run_command, test_image, write_image


def test_render_writes_what_the_command_writes(tmp_path):
    for frame in (1, 2, 3):
        write_image(tmp_path / f"in.{frame:04d}.exr", test_image(np.float32, 4, seed=frame))
    seen = []
    velmora.render(str(tmp_path / "in.####.exr"), str(tmp_path / "py.####.exr"), frames="1-3",
                   radius=15, tint=(1, 0.5, 0.2), repeat_edges=True,
                   progress=lambda done, total: seen.append((done, total)))
    status, message = run_command("render", tmp_path / "in.####.exr", tmp_path / "cmd.####.exr",
                                  "--frames", "1-3", "--radius=15", "--tint=1,0.5,0.2",
                                  "--repeat-edges", "-q")
    assert status == 0, message
    for frame in (1, 2, 3):
        ours, _ = read_image(tmp_path / f"py.{frame:04d}.exr", np.float32)
        theirs, _ = read_image(tmp_path / f"cmd.{frame:04d}.exr", np.float32)
        np.testing.assert_array_equal(ours, theirs)
    assert seen[-1] == (3, 3) and all(total == 3 for _, total in seen)

    # skip_existing keeps what is there; glow works again after a render replaced its host.
    before = (tmp_path / "py.0002.exr").stat().st_mtime_ns
    velmora.render(str(tmp_path / "in.####.exr"), str(tmp_path / "py.####.exr"), frames="1-3",
                   skip_existing=True)
    assert (tmp_path / "py.0002.exr").stat().st_mtime_ns == before
    assert velmora.glow(test_image(np.float32, 4), radius=5).shape == (36, 48, 4)


def test_render_takes_the_comp_options(tmp_path):
    write_image(tmp_path / "in.exr", test_image(np.float32, 4))
    velmora.render(str(tmp_path / "in.exr"), str(tmp_path / "py.exr"), quiet=True, radius=10,
                   threshold=0.4, softness=0.5, mix=0.7, glow_pass=True)
    status, message = run_command("render", tmp_path / "in.exr", tmp_path / "cmd.exr", "-q",
                                  "--radius=10", "--threshold=0.4", "--softness=0.5", "--mix=0.7",
                                  "--glow-pass")
    assert status == 0, message
    ours, _ = read_image(tmp_path / "py.exr", np.float32)
    theirs, _ = read_image(tmp_path / "cmd.exr", np.float32)
    np.testing.assert_array_equal(ours, theirs)


@pytest.mark.parametrize("flags,keywords", [
    (["--radius=900"], {"radius": 900}),
    (["--mix=1.5"], {"mix": 1.5}),
    (["--colorspace", "no such space"], {"colorspace": "no such space"}),
    (["--frames", "3-1"], {"frames": "3-1"}),
    (["--preset", "missing.json"], {"preset": "missing.json"}),
])
def test_render_refusals_are_the_commands(tmp_path, monkeypatch, flags, keywords):
    monkeypatch.chdir(tmp_path)
    write_image(tmp_path / "in.exr", test_image(np.float32, 4))
    status, message = run_command("render", "in.exr", "out.exr", *flags)
    assert status != 0
    with pytest.raises(velmora.Error) as raised:
        velmora.render("in.exr", "out.exr", **keywords)
    assert message == "velmora: " + str(raised.value)
    assert not (tmp_path / "out.exr").exists()


def test_render_refuses_unreadable_input_and_unknown_controls(tmp_path):
    (tmp_path / "broken.exr").write_bytes(b"not an image")
    status, message = run_command("render", tmp_path / "broken.exr", tmp_path / "out.exr")
    with pytest.raises(velmora.Error) as raised:
        velmora.render(str(tmp_path / "broken.exr"), str(tmp_path / "out.exr"))
    assert status == 1 and message == "velmora: " + str(raised.value)
    with pytest.raises(velmora.Error, match="not a control"):
        velmora.render(str(tmp_path / "broken.exr"), str(tmp_path / "out.exr"), glare=3)
    assert not (tmp_path / "out.exr").exists()


def test_a_velmora_call_from_a_progress_callback_is_refused(tmp_path):
    write_image(tmp_path / "in.exr", test_image(np.float32, 4))
    with pytest.raises(velmora.Error, match="progress callback"):
        velmora.render(str(tmp_path / "in.exr"), str(tmp_path / "out.exr"),
                       progress=lambda done, total: velmora.controls())
    assert velmora.controls()["controls"]
